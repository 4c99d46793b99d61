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

int main(int argc, char **argv)
{
    StrovexApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Strovex"));
    QApplication::setApplicationVersion(QStringLiteral(STROVEX_VERSION));

    QApplication::setWindowIcon(strovex::strovexIcon());

    const strovex::CommandLine commandLine = strovex::parseCommandLine(QApplication::arguments().mid(1), QDir::currentPath());
    switch (commandLine.action) {
    case strovex::CommandLine::Action::Open:
        break;
    case strovex::CommandLine::Action::Help:
    case strovex::CommandLine::Action::Version:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stdout);
        return 0;
    case strovex::CommandLine::Action::Usage:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stderr);
        return 2;
    }

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
