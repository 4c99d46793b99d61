#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/platform_info.h"
#include "sim/sim_designer.h"
#include "support/holding_process.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The journals of the suite's runs never go to the user's data folder.
    QTemporaryDir data;
    if (qEnvironmentVariableIsEmpty("STROVEX_DATA_DIR"))
        qputenv("STROVEX_DATA_DIR", data.path().toLocal8Bit());
    if (const std::optional<int> held = strovex::test::holdLabelIfAsked())
        return *held;
    // Suites run against the simulated designer in this process, where its
    // counters can be read.
    strovex::setDesignerResolver(&strovex::sim::environmentResolver());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
