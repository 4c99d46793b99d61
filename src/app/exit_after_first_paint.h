#pragma once
// Ends the process right after the watched window's first paint, with no
// clean-up: the start-up benchmark times whole runs of the main program and
// of its empty-window baseline with the same ending.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdlib>

namespace strovex {

class ExitAfterFirstPaint : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Once this paint is done.
            QTimer::singleShot(0, qApp, [] { std::_Exit(0); });
        }
        return false;
    }
};

} // namespace strovex
