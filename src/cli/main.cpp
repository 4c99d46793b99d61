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
    const strovex::sim::ProgramDesigner designer = strovex::sim::programDesigner();
    if (!designer.resolver) {
        std::fprintf(stderr, "%s\n", designer.error.toLocal8Bit().constData());
        return strovex::CliUsage;
    }
    strovex::setDesignerResolver(designer.resolver);

    QTextStream out(stdout);
    QTextStream err(stderr);
    strovex::CliOptions options;
    options.progressLine = STROVEX_ISATTY(STROVEX_FILENO(stderr)) != 0;
    return strovex::runCli(QCoreApplication::arguments().mid(1), out, err, options);
}
