#include "platform/win/print_spooler.h"
#include "platform/win/win_text.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <algorithm>

namespace strovex::win {
namespace {

// A printer of our own on the file port, with a driver of our own (the
// PostScript driver's files under another name), made the default for the
// test; the previous default comes back afterwards.
class SpoolerTest : public ::testing::Test {
protected:
    static constexpr wchar_t kPrinter[] = L"Strovex Test \u00C9tiquettes";
    static constexpr wchar_t kDriver[] = L"Strovex Test Driver \u00C9";

    void SetUp() override
    {
        wchar_t previous[512];
        DWORD size = 512;
        if (GetDefaultPrinterW(previous, &size))
            previousDefault_ = previous;

        DRIVER_INFO_3W driver{};
        driver.cVersion = 3;
        driver.pName = const_cast<wchar_t *>(kDriver);
        driver.pDriverPath = const_cast<wchar_t *>(L"wineps.drv");
        driver.pDataFile = const_cast<wchar_t *>(L"wineps.drv");
        driver.pConfigFile = const_cast<wchar_t *>(L"wineps.drv");
        ASSERT_TRUE(AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE *>(&driver))) << GetLastError();

        PRINTER_INFO_2W printer{};
        printer.pPrinterName = const_cast<wchar_t *>(kPrinter);
        printer.pPortName = const_cast<wchar_t *>(L"FILE:");
        printer.pDriverName = const_cast<wchar_t *>(kDriver);
        printer.pPrintProcessor = const_cast<wchar_t *>(L"WinPrint");
        printer.pDatatype = const_cast<wchar_t *>(L"RAW");
        HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE *>(&printer));
        ASSERT_TRUE(added || GetLastError() == ERROR_PRINTER_ALREADY_EXISTS) << GetLastError();
        if (added)
            ClosePrinter(added);
        ASSERT_TRUE(SetDefaultPrinterW(kPrinter));
    }

    void TearDown() override
    {
        HANDLE printer = nullptr;
        if (OpenPrinterW(const_cast<wchar_t *>(kPrinter), &printer, nullptr)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
        DeletePrinterDriverW(nullptr, nullptr, const_cast<wchar_t *>(kDriver));
        SetDefaultPrinterW(previousDefault_.empty() ? nullptr : previousDefault_.c_str());
    }

    SystemPrintSpooler spooler;

private:
    std::wstring previousDefault_;
};

TEST_F(SpoolerTest, ListsTheDefaultAndTheDriver)
{
    const std::u16string name = fromWide(kPrinter);
    const auto installed = spooler.installed();
    EXPECT_NE(std::find(installed.begin(), installed.end(), name), installed.end());
    EXPECT_EQ(spooler.defaultPrinter(), name);
    EXPECT_EQ(spooler.driverName(name), fromWide(kDriver));
}

TEST_F(SpoolerTest, UnknownOrEmptyPrinterHasNoDriver)
{
    EXPECT_EQ(spooler.driverName(u"No Such Printer \u00C9"), u"");
    EXPECT_EQ(spooler.driverName(u""), u"");
}

} // namespace
} // namespace strovex::win
