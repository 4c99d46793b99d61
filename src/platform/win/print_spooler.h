#pragma once
// The print spooler as the Windows side offers it, free of Qt. The application
// adapts it to its Printers service.

#include <string>
#include <vector>

namespace strovex::win {

class PrintSpooler {
public:
    virtual ~PrintSpooler() = default;
    // Local printers and printer connections, in the spooler's order; empty
    // when the spooler cannot be asked.
    virtual std::vector<std::u16string> installed() = 0;
    // The user's default printer; empty when there is none.
    virtual std::u16string defaultPrinter() = 0;
    // The driver of the named printer (level-2 driver information); empty for
    // an unknown printer, an empty name or any spooler failure. Never throws.
    virtual std::u16string driverName(const std::u16string &printer) noexcept = 0;
};

class SystemPrintSpooler final : public PrintSpooler {
public:
    std::vector<std::u16string> installed() override;
    std::u16string defaultPrinter() override;
    std::u16string driverName(const std::u16string &printer) noexcept override;
};

} // namespace strovex::win
