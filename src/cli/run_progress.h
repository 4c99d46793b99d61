#pragma once
// What the long commands share: one self-updating progress line on a terminal,
// and Ctrl+C asking the run to stop after the label in hand.

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

namespace strovex::cli {

// done/total, the current file, optionally labels per second, and time left.
class ProgressLine {
public:
    ProgressLine(QTextStream &err, bool enabled, bool showRate = false)
        : err_(err), enabled_(enabled), showRate_(showRate)
    {
    }
    ~ProgressLine() { finish(); }
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    void fileStarted(int index, int total, const QString &path);
    // Erases the line; nothing when none is shown.
    void finish();

private:
    QTextStream &err_;
    bool enabled_;
    bool showRate_;
    bool shown_ = false;
    qsizetype width_ = 0;
    QElapsedTimer clock_;
};

// While alive, SIGINT only sets a flag; the previous handling comes back after.
class InterruptStopsRun {
public:
    InterruptStopsRun();
    ~InterruptStopsRun();
    InterruptStopsRun(const InterruptStopsRun &) = delete;
    InterruptStopsRun &operator=(const InterruptStopsRun &) = delete;
    bool requested() const;

private:
    void (*previous_)(int);
};

} // namespace strovex::cli
