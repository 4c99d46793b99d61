#include "platform/printers.h"

#include <cups/cups.h>

namespace strovex {
namespace {

// CUPS: destinations are the installed printers; a printer's make-and-model is
// what the spooler knows as its driver.
class CupsPrinters : public Printers {
public:
    QStringList installed() override
    {
        QStringList names;
        cups_dest_t *dests = nullptr;
        const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        for (int i = 0; i < count; ++i) {
            if (!dests[i].instance)
                names << QString::fromUtf8(dests[i].name);
        }
        cupsFreeDests(count, dests);
        return names;
    }

    QString defaultPrinter() override
    {
        cups_dest_t *dests = nullptr;
        const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        QString name;
        if (cups_dest_t *dest = cupsGetDest(nullptr, nullptr, count, dests))
            name = QString::fromUtf8(dest->name);
        cupsFreeDests(count, dests);
        return name;
    }

    QString driverName(const QString &printer) noexcept override
    {
        if (printer.isEmpty())
            return {};
        try {
            const QByteArray name = printer.toUtf8();
            cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
            if (!dest)
                return {};
            const char *model = cupsGetOption("printer-make-and-model", dest->num_options, dest->options);
            const QString result = model ? QString::fromUtf8(model) : QString();
            cupsFreeDests(1, dest);
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
