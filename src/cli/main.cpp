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
#ifdef _WIN32
    // Windows passes the command line as UTF-16: every name arrives exact.
    return strovex::runCli(QCoreApplication::arguments().mid(1), out, err, options);
#else
    // The bytes themselves (QCoreApplication may have taken its own options out
    // of argv), so a name that is not valid UTF-8 is refused, not read as another.
    QList<QByteArray> nativeArgs;
    for (int i = 1; i < argc; ++i)
        nativeArgs << QByteArray(argv[i]);
    return strovex::runCli(nativeArgs, out, err, options);
#endif
}
