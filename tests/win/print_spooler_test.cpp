#include "platform/win/print_spooler.h"

#include <gtest/gtest.h>

namespace strovex::win {
namespace {

TEST(SystemPrintSpooler, UnknownOrEmptyPrinterHasNoDriver)
{
    SystemPrintSpooler spooler;
    EXPECT_EQ(spooler.driverName(u"No Such Printer \u00C9"), u"");
    EXPECT_EQ(spooler.driverName(u""), u"");
}

} // namespace
} // namespace strovex::win
