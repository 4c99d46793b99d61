#include "app/error_boundary.h"
#include "app/main_window.h"

#include <QApplication>
#include <QTimer>

#include <cstdlib>

namespace {

// Last line of defence: a handler that threw is reported, never lets the
// exception unwind through Qt's event loop.
class StrovexApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        bool result = false;
        strovex::runGuarded(activeWindow(), [&] { result = QApplication::notify(receiver, event); });
        return result;
    }
};

// STROVEX_EXIT_AFTER_FIRST_PAINT=1 ends the process as soon as the main window
// has painted for the first time, without writing settings or any clean-up;
// the start-up benchmark times whole runs with it.
class ExitAfterFirstPaint : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Once this paint is done; no clean-up, so the run ends at the paint.
            QTimer::singleShot(0, qApp, [] { std::_Exit(0); });
        }
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    StrovexApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Strovex"));
    QApplication::setApplicationVersion(QStringLiteral(STROVEX_VERSION));

    strovex::TfrmMain window;
    QStringList files = QApplication::arguments();
    files.removeFirst();
    window.setStartupFiles(files);
    ExitAfterFirstPaint exitAfterFirstPaint;
    if (qEnvironmentVariableIntValue("STROVEX_EXIT_AFTER_FIRST_PAINT") == 1)
        window.installEventFilter(&exitAfterFirstPaint);
    window.show();
    return app.exec();
}
