#include "platform/win/print_spooler.h"

#include "platform/win/win_text.h"

#include <windows.h>
#include <winspool.h>

namespace strovex::win {

namespace {

// Closes the printer handle on every path.
class PrinterHandle {
public:
    explicit PrinterHandle(const std::wstring &name)
    {
        if (!OpenPrinterW(const_cast<wchar_t *>(name.c_str()), &handle_, nullptr))
            handle_ = nullptr;
    }
    ~PrinterHandle()
    {
        if (handle_)
            ClosePrinter(handle_);
    }
    PrinterHandle(const PrinterHandle &) = delete;
    PrinterHandle &operator=(const PrinterHandle &) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

} // namespace

std::vector<std::u16string> SystemPrintSpooler::installed()
{
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    std::vector<BYTE> buffer;
    DWORD needed = 0;
    DWORD count = 0;
    // The list may grow between asking for the size and fetching it.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (EnumPrintersW(flags, nullptr, 4, buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()),
                          &needed, &count))
            break;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
            return {};
        buffer.resize(needed);
        count = 0;
    }
    std::vector<std::u16string> names;
    if (buffer.empty())
        return names;
    const auto *info = reinterpret_cast<const PRINTER_INFO_4W *>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (info[i].pPrinterName)
            names.push_back(fromWide(info[i].pPrinterName));
    }
    return names;
}

std::u16string SystemPrintSpooler::defaultPrinter()
{
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0)
        return {};
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size))
        return {};
    name.resize(wcsnlen(name.c_str(), name.size()));
    return fromWide(name);
}

std::u16string SystemPrintSpooler::driverName(const std::u16string &printer) noexcept
{
    if (printer.empty())
        return {};
    try {
        PrinterHandle handle(toWide(printer));
        if (!handle.get())
            return {};
        DWORD needed = 0;
        GetPrinterDriverW(handle.get(), nullptr, 2, nullptr, 0, &needed);
        if (needed == 0)
            return {};
        std::vector<BYTE> buffer(needed);
        if (!GetPrinterDriverW(handle.get(), nullptr, 2, buffer.data(), needed, &needed))
            return {};
        return fromWide(reinterpret_cast<const DRIVER_INFO_2W *>(buffer.data())->pName);
    } catch (...) {
        return {}; // out of memory: the driver field simply stays empty
    }
}

} // namespace strovex::win
