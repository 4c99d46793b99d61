#include "cli/run_progress.h"
#include "cli/cli_internal.h"

#include <csignal>

namespace strovex::cli {
namespace {

// Runs with more labels than this show the progress line.
constexpr int kProgressAbove = 20;
constexpr qsizetype kProgressPathWidth = 50;

QString durationText(qint64 ms)
{
    const qint64 seconds = (ms + 999) / 1000;
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

// Ctrl+C during a run asks it to stop after the label in hand; outside a run
// the previous handling (ending the program) stays.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int)
{
    interrupted = 1;
}

} // namespace

void ProgressLine::fileStarted(int index, int total, const QString &path)
{
    if (!enabled_ || total <= kProgressAbove)
        return;
    if (!clock_.isValid())
        clock_.start();
    QString shown = oneLine(path);
    if (shown.size() > kProgressPathWidth)
        shown = QStringLiteral("...") + shown.right(kProgressPathWidth - 3);
    QString line = QStringLiteral("%1/%2  %3").arg(index).arg(total).arg(shown);
    if (index > 0) {
        const qint64 elapsed = clock_.elapsed();
        if (showRate_ && elapsed > 0)
            line += QStringLiteral("  %1 labels/s").arg(index * 1000.0 / double(elapsed), 0, 'f', 1);
        const qint64 leftMs = elapsed * (total - index) / index;
        line += QStringLiteral("  %1 left").arg(durationText(leftMs));
    }
    // Back to the line's start, then spaces over what the last line left
    // beyond this one: no escape codes, which a Windows console prints raw.
    const qsizetype shorter = width_ - line.size();
    err_ << '\r' << line;
    if (shorter > 0)
        err_ << QString(shorter, u' ') << '\r' << line;
    err_.flush();
    width_ = line.size();
    shown_ = true;
}

void ProgressLine::finish()
{
    if (!shown_)
        return;
    err_ << '\r' << QString(width_, u' ') << '\r';
    err_.flush();
    width_ = 0;
    shown_ = false;
}

InterruptStopsRun::InterruptStopsRun()
{
    interrupted = 0;
    previous_ = std::signal(SIGINT, onInterrupt);
}

InterruptStopsRun::~InterruptStopsRun()
{
    std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
}

bool InterruptStopsRun::requested() const
{
    return interrupted != 0;
}

} // namespace strovex::cli
