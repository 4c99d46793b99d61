#include "ui/error_boundary.h"

#include "automation/designer.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <exception>

namespace strovex {
namespace {

MessageHandler &handler()
{
    static MessageHandler h;
    return h;
}

bool guarded(const std::function<void()> &action, const std::function<void(const QString &)> &report)
{
    try {
        action();
        return true;
    } catch (...) {
        report(errorText(std::current_exception()));
        return false;
    }
}

} // namespace

void setMessageHandler(MessageHandler h)
{
    handler() = std::move(h);
}

void showMessage(QWidget *parent, MessageKind kind, const QString &text)
{
    if (handler()) {
        handler()(kind, text);
        return;
    }
    const QString title = QApplication::applicationName();
    if (kind == MessageKind::Error)
        QMessageBox::critical(parent, title, text);
    else
        QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent).exec();
}

QString errorText(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const AutomationError &e) {
        return toQString(e.text());
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("An unknown error occurred.");
    }
}

bool runGuarded(QWidget *parent, const std::function<void()> &action)
{
    return guarded(action, [parent](const QString &text) { showMessage(parent, MessageKind::Error, text); });
}

void showMessageAfterEvent(QWidget *parent, MessageKind kind, const QString &text)
{
    // Queued on the application, so the message is shown even when `parent`
    // is gone by then (the box then has no parent).
    QMetaObject::invokeMethod(
        qApp, [parent = QPointer<QWidget>(parent), kind, text] { showMessage(parent, kind, text); },
        Qt::QueuedConnection);
}

bool runGuardedAfterEvent(QWidget *parent, const std::function<void()> &action)
{
    return guarded(action, [parent](const QString &text) { showMessageAfterEvent(parent, MessageKind::Error, text); });
}

BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace strovex
