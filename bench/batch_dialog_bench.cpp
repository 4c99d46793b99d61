// The batch dialog's responsiveness while a run works: the longest gap
// between two turns of the event loop during a Set variable run over 1,000
// labels, at 50 µs a designer call unless STROVEX_SIM_LATENCY_US says
// otherwise. A probe notes every turn; the largest gap is the longest any
// user input waited. Measures; asserts nothing.

#include "batch_labels.h"
#include "sim/sim_designer.h"
#include "tools/set_variable_dialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

// Notes every turn of the event loop: a posted event that posts itself again
// is handled once in every turn (each pass delivers the events posted before it).
class TurnProbe : public QObject {
public:
    void arm()
    {
        clock_.start();
        last_ = 0;
        postAgain();
    }
    // The gaps seen, and the one from the last turn to the run's end.
    void finish(std::vector<double> &gaps)
    {
        end_ = clock_.nsecsElapsed();
        done_ = true;
        gaps_.push_back(double(end_ - last_) / 1e6);
        gaps.insert(gaps.end(), gaps_.begin(), gaps_.end());
    }
    double seconds() const { return double(end_) / 1e9; }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        if (done_)
            return true;
        const qint64 now = clock_.nsecsElapsed();
        gaps_.push_back(double(now - last_) / 1e6);
        last_ = now;
        postAgain();
        return true;
    }

private:
    void postAgain() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }

    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 end_ = 0;
    bool done_ = false;
    std::vector<double> gaps_;
};

void BM_BatchDialogEventLoopGap1000Labels(benchmark::State &state)
{
    strovex::bench::useBatchLatency();
    QTemporaryDir dir;
    const QStringList files = strovex::bench::writeBatchLabels(dir, 1000);

    const strovex::QuillApp app(strovex::sim::createApplication());
    strovex::TfrmSetVariable dialog(nullptr, app);
    dialog.setFileChooser([files](QWidget *) { return std::optional<QStringList>(files); });
    dialog.show();
    QApplication::processEvents();

    double sum = 0;
    std::vector<double> gaps; // ms between turns, all iterations
    int length = 20;
    for (auto _ : state) {
        // The files are added again before every run, as this dialog asks.
        dialog.findChild<QToolButton *>(QStringLiteral("sbAddFiles"))->click();
        dialog.findChild<QLineEdit *>(QStringLiteral("edtVariable"))->setText(QStringLiteral("Batch"));
        dialog.findChild<QLineEdit *>(QStringLiteral("edtNewLength"))->setText(QString::number(length++));
        TurnProbe probe;
        probe.arm();
        dialog.runButton()->click(); // returns when the run is done
        probe.finish(gaps);
        sum += probe.seconds();
        state.SetIterationTime(probe.seconds());
    }
    std::sort(gaps.begin(), gaps.end());
    const double longest = gaps.empty() ? 0 : gaps.back();
    const double p99 = gaps.empty() ? 0 : gaps[gaps.size() * 99 / 100];
    const auto over100 = std::count_if(gaps.begin(), gaps.end(), [](double g) { return g > 100; });
    state.counters["longest_gap_ms"] = benchmark::Counter(longest);
    state.counters["p99_gap_ms"] = benchmark::Counter(p99);
    state.counters["gaps_over_100ms"] = benchmark::Counter(double(over100));
    state.counters["turns_per_run"] = benchmark::Counter(double(gaps.size()) / double(state.iterations()));
    state.counters["ms_per_label"] = benchmark::Counter(sum * 1e3 / 1000.0 / double(state.iterations()));
    strovex::sim::setKnobs({});
}
BENCHMARK(BM_BatchDialogEventLoopGap1000Labels)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
