#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/platform_info.h"
#include "sim/sim_designer.h"

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Main windows keep their bounds in the user's settings: never the real ones.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Strovex"));
    // Suites run against the simulated designer in this process, where its
    // counters can be read.
    strovex::setDesignerResolver(&strovex::sim::environmentResolver());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
