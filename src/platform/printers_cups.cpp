#include "platform/printers.h"

#include <QLibrary>

#include <type_traits>

#include <cups/cups.h>

namespace strovex {
namespace {

// libcups, and the many libraries it brings (TLS, Kerberos, service
// discovery), is loaded on the first question about printers, not linked:
// loading it at start-up cost about a fifth of the time to the first paint.
// Without it every answer is empty, as with no spooler.
struct CupsApi {
    decltype(&::cupsGetDests2) getDests2 = nullptr;
    decltype(&::cupsFreeDests) freeDests = nullptr;
    decltype(&::cupsGetDest) getDest = nullptr;
    decltype(&::cupsGetNamedDest) getNamedDest = nullptr;
    decltype(&::cupsGetOption) getOption = nullptr;
    bool loaded() const { return getDests2 && freeDests && getDest && getNamedDest && getOption; }
};

const CupsApi &cups()
{
    static const CupsApi api = [] {
        CupsApi a;
        QLibrary library(QStringLiteral("cups"), 2);
        if (!library.load())
            return a;
        const auto resolve = [&library](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
        };
        resolve(a.getDests2, "cupsGetDests2");
        resolve(a.freeDests, "cupsFreeDests");
        resolve(a.getDest, "cupsGetDest");
        resolve(a.getNamedDest, "cupsGetNamedDest");
        resolve(a.getOption, "cupsGetOption");
        return a.loaded() ? a : CupsApi{};
    }();
    return api;
}

// CUPS: destinations are the installed printers; a printer's make-and-model is
// what the spooler knows as its driver.
class CupsPrinters : public Printers {
public:
    QStringList installed() override
    {
        QStringList names;
        const CupsApi &api = cups();
        if (!api.loaded())
            return names;
        cups_dest_t *dests = nullptr;
        const int count = api.getDests2(CUPS_HTTP_DEFAULT, &dests);
        for (int i = 0; i < count; ++i) {
            if (!dests[i].instance)
                names << QString::fromUtf8(dests[i].name);
        }
        api.freeDests(count, dests);
        return names;
    }

    QString defaultPrinter() override
    {
        const CupsApi &api = cups();
        if (!api.loaded())
            return {};
        cups_dest_t *dests = nullptr;
        const int count = api.getDests2(CUPS_HTTP_DEFAULT, &dests);
        QString name;
        if (cups_dest_t *dest = api.getDest(nullptr, nullptr, count, dests))
            name = QString::fromUtf8(dest->name);
        api.freeDests(count, dests);
        return name;
    }

    QString driverName(const QString &printer) noexcept override
    {
        if (printer.isEmpty())
            return {};
        try {
            const CupsApi &api = cups();
            if (!api.loaded())
                return {};
            const QByteArray name = printer.toUtf8();
            cups_dest_t *dest = api.getNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
            if (!dest)
                return {};
            const char *model = api.getOption("printer-make-and-model", dest->num_options, dest->options);
            const QString result = model ? QString::fromUtf8(model) : QString();
            api.freeDests(1, dest);
            return result;
        } catch (...) {
            return {};
        }
    }
};

} // namespace

std::shared_ptr<Printers> createNativePrinters()
{
    return std::make_shared<CupsPrinters>();
}

} // namespace strovex
