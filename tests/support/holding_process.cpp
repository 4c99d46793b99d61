#include "support/holding_process.h"

#include "automation/designer.h"
#include "sim/sim_designer.h"

#include <QCoreApplication>

#include <cstdio>

namespace strovex::test {

namespace {

constexpr char kHoldLabel[] = "--hold-label";

} // namespace

HoldingProcess::HoldingProcess(const QString &path)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kHoldLabel), path});
    // Generous: a started program under a compatibility layer is slow to come up.
    if (!process_.waitForStarted(60000))
        return;
    while (process_.bytesAvailable() == 0 && process_.state() == QProcess::Running)
        process_.waitForReadyRead(60000);
    process_.getChar(&opened_);
}

void HoldingProcess::end()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished(60000);
}

std::optional<int> holdLabelIfAsked()
{
    // The arguments from the application object: a path outside the ANSI code page survives on Windows.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3 || arguments.at(1) != QLatin1String(kHoldLabel))
        return std::nullopt;
    QuillApp app(sim::createApplication());
    const IQuillmark label = app.OpenLabel(arguments.at(2));
    std::fputc(label.isNull() ? 'n' : 'y', stdout);
    std::fflush(stdout);
    // Held until killed; or until the test that started it is gone.
    while (std::fgetc(stdin) != EOF) {
    }
    return 0;
}

} // namespace strovex::test
