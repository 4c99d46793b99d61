#pragma once
// A display of its own with a window manager on it, for cases that only a
// framed window shows: Xvfb on a free display number, openbox on it.

#include <QString>

#include <sys/types.h>

namespace strovex::test {

class WindowManagerDisplay {
public:
    // Starts both and points DISPLAY at the new display; error() says why not.
    WindowManagerDisplay(int width, int height);
    ~WindowManagerDisplay(); // ends both
    WindowManagerDisplay(const WindowManagerDisplay &) = delete;
    WindowManagerDisplay &operator=(const WindowManagerDisplay &) = delete;

    const QString &error() const { return error_; }
    // False once the window manager has ended (or could not be started).
    bool managerRunning() const;

private:
    pid_t server_ = -1;
    pid_t manager_ = -1;
    QString error_;
};

} // namespace strovex::test
