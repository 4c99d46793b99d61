#include "platform/launcher.h"

#include <QProcess>
#include <QStandardPaths>

namespace strovex {
namespace {

QString runAndRead(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(5000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The desktop's default application for text/plain, as xdg-mime names it,
// falling back to xdg-open. Programs get an argument list, never a shell line.
class DesktopLauncher : public Launcher {
public:
    bool openInTextEditor(const QString &path) override
    {
        const QString desktopFile = runAndRead(QStringLiteral("xdg-mime"),
                                               {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
        if (!desktopFile.isEmpty() && !QStandardPaths::findExecutable(QStringLiteral("gtk-launch")).isEmpty()) {
            QString id = desktopFile;
            id.chop(id.endsWith(QStringLiteral(".desktop")) ? 8 : 0);
            if (QProcess::startDetached(QStringLiteral("gtk-launch"), {id, path}))
                return true;
        }
        return openWithAssociatedProgram(path);
    }

    bool openWithAssociatedProgram(const QString &pathOrUrl) override
    {
        return QProcess::startDetached(QStringLiteral("xdg-open"), {pathOrUrl});
    }
};

} // namespace

std::shared_ptr<Launcher> createNativeLauncher()
{
    return std::make_shared<DesktopLauncher>();
}

} // namespace strovex
