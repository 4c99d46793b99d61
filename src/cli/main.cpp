#include "cli/cli.h"
#include "platform/platform_info.h"
#include "sim/sim_designer.h"

#include <QCoreApplication>

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define STROVEX_ISATTY _isatty
#define STROVEX_FILENO _fileno
#else
#include <unistd.h>
#define STROVEX_ISATTY isatty
#define STROVEX_FILENO fileno
#endif

int main(int argc, char **argv)
{
    // No QGuiApplication: the tool runs where there is no display.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("strovex-cli"));
    // The installed designer where the platform has a way to it, else the simulated one.
    strovex::ProgIdResolver *designer = strovex::nativeDesignerResolver();
    if (!designer) {
        // A value the simulated designer does not know must not pass for "no designer".
        if (const QString error = strovex::sim::designerChoiceError(); !error.isEmpty()) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return strovex::CliUsage;
        }
        designer = &strovex::sim::environmentResolver();
    }
    strovex::setDesignerResolver(designer);

    QTextStream out(stdout);
    QTextStream err(stderr);
    strovex::CliOptions options;
    options.progressLine = STROVEX_ISATTY(STROVEX_FILENO(stderr)) != 0;
    return strovex::runCli(QCoreApplication::arguments().mid(1), out, err, options);
}
