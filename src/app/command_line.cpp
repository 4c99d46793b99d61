#include "app/command_line.h"

#include "platform/platform_info.h"

#include <QDir>

namespace strovex {
namespace {

const QString kUsage = QStringLiteral("Usage: strovex [--help] [--version] [--] [LABEL.lbl ...]\n");

QString helpText()
{
    return kUsage
           + QStringLiteral("\nOpens each LABEL.lbl as a page of the main window.\n\n"
                            "  -h, --help     Show this help and end.\n"
                            "  -v, --version  Show the version and end.\n"
                            "  --             Take every later argument as a file name.\n");
}

} // namespace

CommandLine parseCommandLine(const QStringList &args, const QString &currentFolder)
{
    CommandLine result;
    const QDir here(currentFolder);
    bool options = true;
    for (const QString &arg : args) {
        if (options && arg == QStringLiteral("--")) {
            options = false;
        } else if (options && (arg == QStringLiteral("--help") || arg == QStringLiteral("-h"))) {
            return CommandLine{CommandLine::Action::Help, {}, helpText()};
        } else if (options && (arg == QStringLiteral("--version") || arg == QStringLiteral("-v"))) {
            return CommandLine{CommandLine::Action::Version, {},
                               QStringLiteral("Strovex %1\n").arg(versionText(productVersion(), buildNumber()))};
        } else if (options && arg.startsWith(u'-') && arg.size() > 1) {
            return CommandLine{CommandLine::Action::Usage, {},
                               QStringLiteral("Unknown option \"%1\".\n").arg(arg) + kUsage};
        } else if (!arg.isEmpty()) {
            result.files << QDir::cleanPath(here.absoluteFilePath(arg));
        }
    }
    return result;
}

} // namespace strovex
