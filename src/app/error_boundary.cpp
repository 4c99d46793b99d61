#include "app/error_boundary.h"

#include "automation/designer.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

namespace strovex {
namespace {

MessageHandler &handler()
{
    static MessageHandler h;
    return h;
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
        QMessageBox::information(parent, title, text);
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
    try {
        action();
        return true;
    } catch (...) {
        const QString text = errorText(std::current_exception());
        showMessage(parent, MessageKind::Error, text);
        return false;
    }
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
