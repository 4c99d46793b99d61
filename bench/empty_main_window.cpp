// The start-up benchmark's baseline: an empty QMainWindow that ends itself
// after its first paint, the same way the main program does under
// STROVEX_EXIT_AFTER_FIRST_PAINT=1.

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

namespace {

class ExitAfterFirstPaint : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
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
