#include "inspect/label_info.h"

#include "platform/printers.h"

#include <gtest/gtest.h>

using namespace strovex;

// Runs against the real spooler: scripts/test starts CUPS and adds this printer.
TEST(PrinterDriver, ComesFromTheSpooler)
{
    const QString printer = QStringLiteral("StrovexTest");
    if (!printers().installed().contains(printer)) {
        if (qgetenv("CI") == "true")
            FAIL() << "CUPS is not reachable or has no printer StrovexTest (scripts/test sets it up)";
        GTEST_SKIP() << "no CUPS printer StrovexTest here; scripts/test sets it up";
    }
    EXPECT_FALSE(GetPrinterDriverName(printer).isEmpty());
    EXPECT_EQ(GetPrinterDriverName(QStringLiteral("No such printer 7f3a")), QString());
    EXPECT_EQ(GetPrinterDriverName(QString()), QString());
}
