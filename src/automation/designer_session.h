#pragma once
// One designer connection for a whole program run, held by the main window and
// by the command line alike: connect, Initialize, automation mode on; labels
// opened through it; Quit and release when it ends. The texts the user reads
// when there is no designer or a label is refused are made here only.

#include "automation/designer.h"

#include <stdexcept>

namespace strovex {

// A label that could not be opened or read for want of memory (what() in UTF-8).
class LabelTooLargeError : public std::runtime_error {
public:
    explicit LabelTooLargeError(const QString &path);
    static QString text(const QString &path);
};

class ProgIdResolver;

// What opening a label gave: the label, or the text that says why not.
struct OpenedLabel {
    IQuillmark label;
    QString failure; // "File "…" cannot be opened!" and the designer's reason; empty on success
    explicit operator bool() const { return bool(label); }
};

// Opens `path` through `app`; a refusal (no label handed back) gives the
// failure text, a failed call throws AutomationError.
OpenedLabel openLabel(const QuillApp &app, const QString &path);

class DesignerSession {
public:
    DesignerSession() = default;
    // Quits and releases the designer; a Quit the designer refuses is let go.
    ~DesignerSession();
    DesignerSession(const DesignerSession &) = delete;
    DesignerSession &operator=(const DesignerSession &) = delete;

    // Version 6 first, else 5, then Initialize and AutomationFlag(true). False
    // when neither is installed (noDesignerText() says so). A designer that
    // refuses Initialize or the flag throws AutomationError and stays
    // connected, so that it is still quit at the end.
    bool connect(ProgIdResolver &resolver);
    explicit operator bool() const { return bool(app_); }
    const QuillApp &app() const { return app_; }

    OpenedLabel openLabel(const QString &path) const { return strovex::openLabel(app_, path); }

    // Quit, then release whatever Quit did; a refused Quit throws after the
    // release. Nothing when not connected.
    void close();

    static QString noDesignerText();

private:
    QuillApp app_;
};

} // namespace strovex
