// The built program as a script sees it: exit statuses and streams.

#include "cli_fixture.h"

#include <QProcess>
#include <QProcessEnvironment>

using namespace strovex;
using namespace strovex::test;

namespace {

struct ProcessResult {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

ProcessResult runProgram(const QStringList &args, const QString &designerVariable = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("STROVEX_DESIGNER"), designerVariable);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(STROVEX_CLI_PATH), args);
    ProcessResult result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.status = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace

TEST(CliProcess, RunsWithoutADisplayAndReportsByExitStatus)
{
    const QString label = samplePath(QStringLiteral("shipping_sscc.lbl"));

    const ProcessResult info = runProgram({QStringLiteral("info"), label});
    EXPECT_EQ(info.status, CliOk) << info.err.toStdString();
    EXPECT_TRUE(info.out.startsWith("Label Info\n  Name:              " + label.toUtf8()));
    EXPECT_TRUE(info.err.isEmpty()) << info.err.toStdString();

    const ProcessResult none = runProgram({QStringLiteral("--designer"), QStringLiteral("none"), QStringLiteral("info"), label});
    EXPECT_EQ(none.status, CliNoDesigner);
    EXPECT_EQ(none.err, QByteArray("Program requires Quillmark 5 or Quillmark 6 to be installed!\n"));
    EXPECT_TRUE(none.out.isEmpty());

    // No designer installed at all is the same as asking for none.
    EXPECT_EQ(runProgram({QStringLiteral("info"), label}, QStringLiteral("none")).status, CliNoDesigner);

    const ProcessResult damaged = runProgram({QStringLiteral("info"), samplePath(QStringLiteral("damaged.lbl"))});
    EXPECT_EQ(damaged.status, CliFileErrors);

    const ProcessResult usage = runProgram({QStringLiteral("info")});
    EXPECT_EQ(usage.status, CliUsage);
    EXPECT_TRUE(usage.err.contains("Usage: strovex-cli"));
}
