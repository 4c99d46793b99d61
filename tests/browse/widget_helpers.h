#pragma once
// Driving modal dialogs on the offscreen platform: the action runs once the
// next modal dialog is up, and is expected to close it.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace strovex::test {

// Returns the poller, for a caller that must stop waiting when no dialog came.
inline QPointer<QTimer> whenModal(std::function<void(QDialog *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action = std::move(action)] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        }
    });
    timer->start();
    return timer;
}

} // namespace strovex::test
