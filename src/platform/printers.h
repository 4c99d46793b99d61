#pragma once
// The print spooler as Strovex needs it. The portable side asks CUPS.

#include <QString>
#include <QStringList>

#include <memory>

namespace strovex {

class Printers {
public:
    virtual ~Printers() = default;
    virtual QStringList installed() = 0;     // local printers and connections
    virtual QString defaultPrinter() = 0;    // empty when there is none
    // The driver of the named printer; empty for an unknown printer, an empty
    // name or no spooler. Never throws.
    virtual QString driverName(const QString &printer) noexcept = 0;
};

// The spooler of the platform: CUPS here, the Windows spooler on Windows.
std::shared_ptr<Printers> createNativePrinters();

// The service in use; tests may replace it (null goes back to the native one).
Printers &printers();
void setPrinters(std::shared_ptr<Printers> service);

} // namespace strovex
