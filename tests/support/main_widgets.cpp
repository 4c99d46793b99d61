#include <QApplication>
#include <QFont>
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
    // Nor the user's data folder: the journals of the suite's runs go here.
    QTemporaryDir data;
    if (qEnvironmentVariableIsEmpty("STROVEX_DATA_DIR"))
        qputenv("STROVEX_DATA_DIR", data.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Strovex"));
#ifdef _WIN32
    // Qt's offscreen platform has no theme on Windows: no family is named and
    // its size is 12 pt. The cases size their windows for the font the same
    // platform gives on Linux, "Sans Serif" 9 pt, which is DejaVu Sans there
    // and among the fonts the Wine run hands it (QT_QPA_FONTDIR).
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
#endif
    // Suites run against the simulated designer in this process, where its
    // counters can be read.
    strovex::setDesignerResolver(&strovex::sim::environmentResolver());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
