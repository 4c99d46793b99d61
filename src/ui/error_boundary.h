#pragma once
// The one place where a user's action meets failure: every slot a user starts
// runs through runGuarded, so no exception ever reaches Qt's event loop.

#include <QString>

#include <functional>

class QWidget;

namespace strovex {

enum class MessageKind { Plain, Error };

// Shows a message box captioned with the application title. Tests replace the
// handler to record messages instead of opening modal boxes.
void showMessage(QWidget *parent, MessageKind kind, const QString &text);
using MessageHandler = std::function<void(MessageKind, const QString &)>;
void setMessageHandler(MessageHandler handler); // empty: real message boxes

// Runs `action`; an exception is shown as an error message with its text, and
// the cursor is restored. Returns false when the action failed.
bool runGuarded(QWidget *parent, const std::function<void()> &action);

// For what fails inside a resize, paint, show or layout event: the message is
// shown from the event loop once the event has been handled. A modal box
// opened in the middle of such an event runs the event loop inside a layout or
// paint pass that is under way, which re-enters it (and has crashed it).
void showMessageAfterEvent(QWidget *parent, MessageKind kind, const QString &text);
bool runGuardedAfterEvent(QWidget *parent, const std::function<void()> &action);

// The text a caught exception shows to the user.
QString errorText(const std::exception_ptr &error);

// The busy cursor for the whole application while it lives.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace strovex
