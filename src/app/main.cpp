#include "app/error_boundary.h"
#include "app/exit_after_first_paint.h"
#include "app/main_window.h"
#include "platform/platform_info.h"
#include "sim/sim_designer.h"

#include <QApplication>

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

    // The installed designer where the platform has a way to it, else the simulated one.
    strovex::ProgIdResolver *designer = strovex::nativeDesignerResolver();
    strovex::setDesignerResolver(designer ? designer : &strovex::sim::environmentResolver());

    strovex::TfrmMain window;
    QStringList files = QApplication::arguments();
    files.removeFirst();
    window.setStartupFiles(files);
    // For the start-up benchmark only.
    strovex::ExitAfterFirstPaint exitAfterFirstPaint;
    if (qEnvironmentVariableIntValue("STROVEX_EXIT_AFTER_FIRST_PAINT") == 1)
        window.installEventFilter(&exitAfterFirstPaint);
    window.show();
    return app.exec();
}
