#pragma once
// A second designer in a process of its own, for the cases where a label is
// held by another program: the suite's own executable, started again with
// --hold-label, opens the label with a designer of its own, says whether it
// could and holds it until it is killed (no release ever runs in it).

#include <QProcess>
#include <QString>

#include <optional>

namespace strovex::test {

class HoldingProcess {
public:
    explicit HoldingProcess(const QString &path);
    ~HoldingProcess() { end(); }
    HoldingProcess(const HoldingProcess &) = delete;
    HoldingProcess &operator=(const HoldingProcess &) = delete;

    // 'y' when it opened the label, 'n' when refused, 0 when it did not answer.
    char opened() const { return opened_; }
    // Kills it and waits for its end.
    void end();

private:
    QProcess process_;
    char opened_ = 0;
};

// In the started copy (main() asks, once the application object is up): holds the label named on the
// command line and returns the exit code; nothing when not asked to.
std::optional<int> holdLabelIfAsked();

} // namespace strovex::test
