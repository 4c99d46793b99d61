// The start-up benchmark's baseline: an empty QMainWindow whose process ends
// right after its first paint, the same way the main program's does under
// STROVEX_EXIT_AFTER_FIRST_PAINT=1.

#include <QApplication>
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
    window.resize(948, 786);
    window.show();
    return app.exec();
}
