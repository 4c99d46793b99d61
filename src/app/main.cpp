#include "app/about_dialog.h"
#include "app/command_line.h"
#include "app/exit_after_first_paint.h"
#include "app/main_window.h"
#include "platform/qt_dialog_memory.h"
#include "platform/platform_info.h"
#include "sim/sim_designer.h"
#include "ui/error_boundary.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <optional>

namespace {

// Last line of defence: a handler that threw is reported, never lets the
// exception unwind through Qt's event loop. The report waits until the event
// is done: it may be a resize, paint or layout event.
class StrovexApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        bool result = false;
        strovex::runGuardedAfterEvent(activeWindow(), [&] { result = QApplication::notify(receiver, event); });
        return result;
    }
};

} // namespace

// Help, the version and a usage fault are answered here, before the
// application connects to a display: over SSH there may be none.
static std::optional<int> answerWithoutWindow(const strovex::CommandLine &commandLine)
{
    switch (commandLine.action) {
    case strovex::CommandLine::Action::Open:
        return std::nullopt;
    case strovex::CommandLine::Action::Help:
    case strovex::CommandLine::Action::Version:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stdout);
        return 0;
    case strovex::CommandLine::Action::Usage:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stderr);
        return 2;
    }
    return std::nullopt;
}

int main(int argc, char **argv)
{
    // The options are plain ASCII, so the local 8-bit arguments decide them;
    // the file names come from the application's own list below, which keeps
    // every character on Windows.
    QStringList localArgs;
    for (int i = 1; i < argc; ++i)
        localArgs << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> status = answerWithoutWindow(strovex::parseCommandLine(localArgs, QDir::currentPath())))
        return *status;

    StrovexApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Strovex"));
    QApplication::setApplicationVersion(QStringLiteral(STROVEX_VERSION));

    QApplication::setWindowIcon(strovex::strovexIcon());

    const strovex::CommandLine commandLine = strovex::parseCommandLine(QApplication::arguments().mid(1), QDir::currentPath());
    if (const std::optional<int> status = answerWithoutWindow(commandLine))
        return *status;

    const strovex::sim::ProgramDesigner designer = strovex::sim::programDesigner();
    if (!designer.resolver) {
        std::fprintf(stderr, "%s\n", designer.error.toLocal8Bit().constData());
        strovex::showMessage(nullptr, strovex::MessageKind::Error, designer.error);
        return 2;
    }
    strovex::setDesignerResolver(designer.resolver);

    // Declared before the window: it looks at the dialogs' memory after every dialog has gone.
    const strovex::QtDialogMemory dialogMemory;
    strovex::TfrmMain window;
    window.setStartupFiles(commandLine.files);
    // For the start-up benchmark only.
    strovex::ExitAfterFirstPaint exitAfterFirstPaint;
    if (qEnvironmentVariableIntValue("STROVEX_EXIT_AFTER_FIRST_PAINT") == 1)
        window.installEventFilter(&exitAfterFirstPaint);
    window.show();
    return app.exec();
}
