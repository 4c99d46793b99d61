#pragma once
// A long label load tells which page it is filling and lets the window
// repaint while it works. The load makes a LoadStatus for its duration; the
// fills call step() and tick() without knowing who listens. Nothing is shown
// before `delayMs`: a quick load shows no status at all. Not for Stop: a
// half-loaded page is not a state the view has.

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace strovex {

class LoadStatus {
public:
    // `show` gets the step's text; it may repaint the window (but must not
    // take user input: the load is not re-entrant).
    using Show = std::function<void(const QString &step)>;
    explicit LoadStatus(Show show, qint64 delayMs = 500, qint64 everyMs = 50);
    ~LoadStatus();
    LoadStatus(const LoadStatus &) = delete;
    LoadStatus &operator=(const LoadStatus &) = delete;

    // The step now under way (the page being filled), for the load in hand.
    static void step(const QString &text);
    // Inside a long fill: shows the current step again once `everyMs` has passed.
    static void tick();

private:
    void offer(bool newStep);

    Show show_;
    qint64 delayMs_;
    qint64 everyMs_;
    QElapsedTimer clock_;
    qint64 shownAt_ = -1;
    QString step_;
    LoadStatus *outer_;
};

} // namespace strovex
