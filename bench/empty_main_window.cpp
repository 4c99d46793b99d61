// The start-up benchmark's baseline: an empty QMainWindow whose process ends
// right after its first paint, the same way the main program's does under
// STROVEX_EXIT_AFTER_FIRST_PAINT=1. With --save-dialogs it also makes two
// file dialogs up front, as the main window does, to show what they cost.

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QTimer>

#include <cstdlib>

namespace {

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
    QApplication app(argc, argv);
    QMainWindow window;
    ExitAfterFirstPaint exitAfterFirstPaint;
    window.installEventFilter(&exitAfterFirstPaint);
    if (QCoreApplication::arguments().contains(QStringLiteral("--save-dialogs"))) {
        new QFileDialog(&window);
        new QFileDialog(&window);
    }
    window.resize(441, 554); // the main window's size when no settings are stored yet
    window.show();
    return app.exec();
}
