#include "platform/installed_fonts.h"

#include <QProcess>

namespace strovex {

std::optional<QStringList> installedFontFamilies()
{
    QProcess fcList;
    fcList.start(QStringLiteral("fc-list"), {QStringLiteral("--format=%{family}\\n")});
    if (!fcList.waitForFinished(30000) || fcList.exitStatus() != QProcess::NormalExit || fcList.exitCode() != 0)
        return std::nullopt;
    QStringList families;
    // One line per face; a family with names in several languages lists them with commas.
    for (const QString &line : QString::fromUtf8(fcList.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        for (const QString &name : line.split(u',', Qt::SkipEmptyParts)) {
            if (!families.contains(name))
                families << name;
        }
    }
    return families;
}

} // namespace strovex
