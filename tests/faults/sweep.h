#pragma once
// The fault-sweep engine: an operation is run once cleanly to count its
// designer calls, then once for every call made to fail (failCall = N) and
// once for every point where the designer stops (stopAfter = N). Each run is
// checked by the operation's own test; here are the counting, the knobs and
// the summary line.

#include "sim/sim_designer.h"
#include "ui/error_boundary.h"

#include <QApplication>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace strovex::faults {

// The knobs for one run: set (with the call count restarted) while it lives.
class Armed {
public:
    explicit Armed(const sim::Knobs &knobs)
    {
        sim::setKnobs(knobs);
        sim::resetCallCount();
    }
    ~Armed() { sim::setKnobs({}); }
    Armed(const Armed &) = delete;
    Armed &operator=(const Armed &) = delete;
};

// What the error boundary showed during one run.
struct Messages {
    std::vector<std::pair<MessageKind, QString>> shown;
    bool anyError() const
    {
        for (const auto &m : shown) {
            if (m.first == MessageKind::Error)
                return true;
        }
        return false;
    }
    QString text() const
    {
        QStringList texts;
        for (const auto &m : shown)
            texts << m.second;
        return texts.join(QStringLiteral(" | "));
    }
};

// Records messages instead of showing boxes while it lives.
class RecordedMessages {
public:
    explicit RecordedMessages(Messages &into)
    {
        setMessageHandler([&into](MessageKind kind, const QString &text) { into.shown.emplace_back(kind, text); });
    }
    ~RecordedMessages() { setMessageHandler({}); }
};

// The checks every run shares: the busy cursor is gone.
inline void checkCursor(QStringList &problems)
{
    if (QApplication::overrideCursor() != nullptr) {
        problems << QStringLiteral("the busy cursor was left on");
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }
}

inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// One failure point of an operation.
struct Point {
    sim::Knobs knobs;
    bool stop = false;     // stopAfter rather than failCall
    std::uint64_t n = 0;   // the call that fails, or the last one answered
    std::uint64_t calls = 0; // calls of the clean run
    bool clean() const { return stop && n >= calls; } // a stop after the last call changes nothing
};

// Runs `run` at every failure point of both kinds and prints
// "<name>: H of P failure points handled". `run` returns what went wrong.
inline void sweep(const QString &name, std::uint64_t calls, const std::function<QStringList(const Point &)> &run)
{
    int points = 0, handled = 0;
    QStringList shown;
    for (const bool stop : {false, true}) {
        for (std::uint64_t n = 1; n <= calls; ++n) {
            Point point;
            point.stop = stop;
            point.n = n;
            point.calls = calls;
            (stop ? point.knobs.stopAfter : point.knobs.failCall) = n;
            QStringList problems = run(point);
            // A run that never reached call N is not the operation the clean run counted.
            if (!stop && sim::callCount() < n)
                problems << QStringLiteral("the run made %1 calls, the failure point was never reached").arg(sim::callCount());
            ++points;
            if (problems.isEmpty()) {
                ++handled;
            } else if (shown.size() < 8) {
                shown << QStringLiteral("%1 = %2: %3").arg(QLatin1String(stop ? "stopAfter" : "failCall")).arg(n)
                             .arg(problems.join(QStringLiteral("; ")));
            }
        }
    }
    std::printf("%s: %d of %d failure points handled\n", qPrintable(name), handled, points);
    std::fflush(stdout);
    EXPECT_GT(calls, 0u) << qPrintable(name) << ": the clean run made no designer call";
    EXPECT_EQ(handled, points) << qPrintable(name) << ":\n" << qPrintable(shown.join(u'\n'));
}

} // namespace strovex::faults
