// The platform services of the Windows build: small adapters from Qt types to
// the Qt-free Windows side in win/.

#include "platform/launcher.h"
#include "platform/platform_info.h"
#include "platform/printers.h"
#include "platform/settings_store_file.h"
#include "platform/win/com_resolver.h"
#include "platform/win/print_spooler.h"
#include "platform/win/registry_store.h"
#include "platform/win/shell_launcher.h"
#include "platform/win/version_info.h"

#include <QDir>
#include <QUrl>

namespace strovex {
namespace {

QStringList toStringList(const std::vector<std::u16string> &names)
{
    QStringList list;
    list.reserve(qsizetype(names.size()));
    for (const std::u16string &name : names)
        list << QString::fromStdU16String(name);
    return list;
}

class SpoolerPrinters final : public Printers {
public:
    QStringList installed() override { return toStringList(spooler_.installed()); }
    QString defaultPrinter() override { return QString::fromStdU16String(spooler_.defaultPrinter()); }
    QString driverName(const QString &printer) noexcept override
    {
        try {
            return QString::fromStdU16String(spooler_.driverName(printer.toStdU16String()));
        } catch (...) {
            return {};
        }
    }

private:
    win::SystemPrintSpooler spooler_;
};

// Files go to the shell with backslashes; addresses as they are.
std::u16string shellTarget(const QString &pathOrUrl)
{
    const QUrl url(pathOrUrl, QUrl::StrictMode);
    const bool isAddress = url.isValid() && url.scheme().size() > 1 && !url.isLocalFile();
    return (isAddress ? pathOrUrl : QDir::toNativeSeparators(pathOrUrl)).toStdU16String();
}

class ShellFileLauncher final : public Launcher {
public:
    bool openInTextEditor(const QString &path) override { return shell_.openInTextEditor(shellTarget(path)); }
    bool openWithAssociatedProgram(const QString &pathOrUrl) override
    {
        return shell_.openWithAssociatedProgram(shellTarget(pathOrUrl));
    }

private:
    win::ShellLauncher shell_;
};

// The program file's version resource, read once; the values compiled in when
// the file carries none.
const win::FileVersion &programVersion()
{
    static const win::FileVersion version = [] {
        win::FileVersion compiled{QStringLiteral(STROVEX_VERSION).toStdU16String(), STROVEX_BUILD_NUMBER};
        const auto read = win::readFileVersion(win::currentModulePath());
        return read && !read->productVersion.empty() ? *read : compiled;
    }();
    return version;
}

} // namespace

std::shared_ptr<Printers> createNativePrinters()
{
    return std::make_shared<SpoolerPrinters>();
}

std::shared_ptr<Launcher> createNativeLauncher()
{
    return std::make_shared<ShellFileLauncher>();
}

std::shared_ptr<SettingsStore> createNativeSettingsStore()
{
    return std::make_shared<win::RegistryStore>();
}

QString productVersion()
{
    return QString::fromStdU16String(programVersion().productVersion);
}

int buildNumber()
{
    return programVersion().build;
}

ProgIdResolver *nativeDesignerResolver()
{
    return &win::comResolver();
}

} // namespace strovex
