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
    return strovex::runCli(QCoreApplication::arguments().mid(1), out.text(), err.text(), options);
}
