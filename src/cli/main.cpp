#include "cli/cli.h"
#include "platform/console.h"
#include "platform/platform_info.h"
#include "sim/sim_designer.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    // No QGuiApplication: the tool runs where there is no display.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("strovex-cli"));
    strovex::StandardStream out(stdout);
    strovex::StandardStream err(stderr);
    const strovex::sim::ProgramDesigner designer = strovex::sim::programDesigner();
    if (!designer.resolver) {
        err.text() << designer.error << '\n';
        return strovex::CliUsage;
    }
    strovex::setDesignerResolver(designer.resolver);

    strovex::CliOptions options;
    options.progressLine = strovex::isTerminal(stderr);
#ifdef _WIN32
    // Windows passes the command line as UTF-16: every name arrives exact.
    return strovex::runCli(QCoreApplication::arguments().mid(1), out.text(), err.text(), options);
#else
    // The bytes themselves (QCoreApplication may have taken its own options out
    // of argv), so a name that is not valid UTF-8 is refused, not read as another.
    QList<QByteArray> nativeArgs;
    for (int i = 1; i < argc; ++i)
        nativeArgs << QByteArray(argv[i]);
    return strovex::runCli(nativeArgs, out.text(), err.text(), options);
#endif
}
