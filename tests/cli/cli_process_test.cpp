// The built program as a script sees it: exit statuses and streams.

#include "cli_fixture.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

#include <functional>

#ifndef _WIN32
#include <csignal>
#include <signal.h>
#include <sys/resource.h>
#include <sys/types.h>
#endif

using namespace strovex;
using namespace strovex::test;

namespace {

struct ProcessResult {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

ProcessResult runProgram(const QStringList &args, const QString &designerVariable = {},
                         const std::function<void()> &childSetup = {})
{
    QProcess process;
#ifndef _WIN32
    if (childSetup)
        process.setChildProcessModifier(childSetup);
#else
    Q_ASSERT(!childSetup); // no code runs in a child before it starts there
#endif
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
#ifdef _WIN32
    // The C runtime's text mode ends every line with CR LF there.
    result.out.replace("\r\n", "\n");
    result.err.replace("\r\n", "\n");
#endif
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

#ifndef _WIN32 // the Windows program finds the designer through its registration, not STROVEX_DESIGNER
    // No designer installed at all is the same as asking for none.
    EXPECT_EQ(runProgram({QStringLiteral("info"), label}, QStringLiteral("none")).status, CliNoDesigner);
    // A value the simulated designer does not know is refused, not taken for none.
    const ProcessResult unknown = runProgram({QStringLiteral("info"), label}, QStringLiteral("6"));
    EXPECT_EQ(unknown.status, CliUsage);
    EXPECT_TRUE(unknown.err.startsWith("STROVEX_DESIGNER=\"6\" is not understood.")) << unknown.err.toStdString();
#endif

    const ProcessResult damaged = runProgram({QStringLiteral("info"), samplePath(QStringLiteral("damaged.lbl"))});
    EXPECT_EQ(damaged.status, CliFileErrors);

    const ProcessResult usage = runProgram({QStringLiteral("info")});
    EXPECT_EQ(usage.status, CliUsage);
    EXPECT_TRUE(usage.err.contains("Usage: strovex-cli"));
}

#ifndef _WIN32 // a file-size limit in the child: POSIX only
// A write that fails part-way (a file-size limit with SIGXFSZ ignored: the same
// short write as a full disk) is an error, and the old file stays.
TEST(CliProcess, FailedWriteLeavesTheOldFileAndEndsWithAnError)
{
    TempDir dir;
    const QString label = dir.copy(samplePath(QStringLiteral("shipping_sscc.lbl")), QStringLiteral("label.lbl"));
    const QString scripts = dir.write(QStringLiteral("box.lbl"), R"({"SimulatedLabel": 1, "Functions": [{"Name": "F",
        "Kind": 9, "KindName": "QUILLScript", "Script": "#Sub Check(value)\r\n  Check = Len(value) > 12 And Left(value, 2) = \"00\"\r\nEnd Sub"}]})");
    const auto limitFileSize = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 64;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    const struct {
        QStringList args;
        QString target;
    } cases[] = {
        {{QStringLiteral("set-printer"), QStringLiteral("NEWP"), label}, label},
        {{QStringLiteral("set-printer"), QStringLiteral("NEWP"), label, QStringLiteral("--no-journal")}, label},
        {{QStringLiteral("command-file"), label, dir.file(QStringLiteral("out.job"))}, dir.file(QStringLiteral("out.job"))},
        {{QStringLiteral("graph"), label, dir.file(QStringLiteral("out.dot"))}, dir.file(QStringLiteral("out.dot"))},
        {{QStringLiteral("export-variables"), label, dir.file(QStringLiteral("vars.csv"))}, dir.file(QStringLiteral("vars.csv"))},
        {{QStringLiteral("preview"), label, dir.file(QStringLiteral("out.bmp"))}, dir.file(QStringLiteral("out.bmp"))},
        {{QStringLiteral("extract-scripts"), scripts}, dir.file(QStringLiteral("box.F.vbs"))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        if (c.target != label)
            dir.write(QFileInfo(c.target).fileName(), "old bytes");
        const QByteArray before = readAll(c.target);
        const ProcessResult result = runProgram(c.args, {}, limitFileSize);
        EXPECT_EQ(result.status, CliFileErrors) << result.out.toStdString() << result.err.toStdString();
        EXPECT_TRUE((result.out + result.err).contains("File too large")) << result.out.toStdString() << result.err.toStdString();
        EXPECT_EQ(readAll(c.target), before);
    }
}
#endif

// Address-space limits and a sanitizer's shadow memory do not mix.
#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
// A label that does not fit in the memory there is: a message naming it, the
// next label still shown, status 1 (not the bare "std::bad_alloc").
TEST(CliProcess, InfoNamesALabelTooLargeForTheMemoryAvailable)
{
    TempDir dir;
    QByteArray objects;
    for (int i = 0; i < 60000; ++i) {
        objects += (i ? ",\n" : "") + QStringLiteral(R"({"Name": "Object%1", "Kind": 301, "Left": %1, "Top": 20,
            "Contents": "The contents of object %1, long enough to weigh", "FontName": "Font%2", "FontSize": 100})")
                                           .arg(i)
                                           .arg(i % 40)
                                           .toUtf8();
    }
    const QString large = dir.write(QStringLiteral("large.lbl"), R"({"SimulatedLabel": 1, "Objects": [)" + objects + "]}");
    const QString small = samplePath(QStringLiteral("asset_dots.lbl"));
    const auto limitMemory = [] {
        rlimit limit{};
        ::getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = 80u << 20;
        ::setrlimit(RLIMIT_AS, &limit);
    };
    for (const bool json : {false, true}) {
        SCOPED_TRACE(json ? "json" : "text");
        QStringList args{QStringLiteral("info")};
        if (json)
            args << QStringLiteral("--json");
        const ProcessResult result = runProgram(args + QStringList{large, small}, {}, limitMemory);
        EXPECT_EQ(result.status, CliFileErrors) << result.err.toStdString();
        EXPECT_EQ(result.err, QStringLiteral("File \"%1\" is too large for the memory available.\n").arg(large).toUtf8());
        EXPECT_TRUE(result.out.contains(small.toUtf8())) << result.out.toStdString();
        EXPECT_FALSE(result.out.contains("large.lbl"));
    }
    // Without the limit the same label is read whole.
    const ProcessResult whole = runProgram({QStringLiteral("info"), QStringLiteral("--json"), large});
    EXPECT_EQ(whole.status, CliOk) << whole.err.toStdString();
    EXPECT_TRUE(whole.out.contains("Object59999"));
}
#endif

TEST(CliProcess, WritersRefuseToWriteOverTheLabelTheyRead)
{
    TempDir dir;
    const QString label = dir.copy(samplePath(QStringLiteral("shipping_sscc.lbl")), QStringLiteral("a.lbl"));
    QStringList targets{label};
#ifndef _WIN32 // QFile::link makes a shortcut on Windows, not a link the system follows
    ASSERT_TRUE(QFile::link(label, dir.file(QStringLiteral("link.dot"))));
    targets << dir.file(QStringLiteral("link.dot"));
#endif
    const QByteArray before = readAll(label);
    for (const char *command : {"graph", "command-file", "export-variables", "preview"}) {
        for (const QString &out : targets) {
            const ProcessResult result = runProgram({QString::fromUtf8(command), label, out});
            EXPECT_EQ(result.status, CliFileErrors) << command;
            EXPECT_EQ(result.err, QStringLiteral("Cannot create file \"%1\". It is the label being read.\n").arg(out).toUtf8())
                << command;
        }
    }
    EXPECT_EQ(readAll(label), before);
}

TEST(CliProcess, PreviewFailsWhereNoPrivateTemporaryFolderCanBeMade)
{
    TempDir dir;
    const QString out = dir.file(QStringLiteral("out.bmp"));
    const QString nowhere = dir.file(QStringLiteral("no such folder"));
#ifdef _WIN32
    const char *const variable = "TMP"; // the first the system's temporary path reads
#else
    const char *const variable = "TMPDIR";
#endif
    const QByteArray saved = qgetenv(variable);
    qputenv(variable, QFile::encodeName(nowhere));
    const ProcessResult result = runProgram({QStringLiteral("preview"), samplePath(QStringLiteral("shipping_sscc.lbl")), out});
    if (saved.isNull())
        qunsetenv(variable);
    else
        qputenv(variable, saved);
    EXPECT_EQ(result.status, CliFileErrors);
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("Cannot create a temporary folder in \"%1\". ").arg(QDir::toNativeSeparators(nowhere)).toUtf8()))
        << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

#ifndef _WIN32 // SIGINT: POSIX only
// Ctrl+C in the middle of a batch run: the label in hand is finished, the
// labels before it are saved, the ones after it untouched, the report ends
// with the stopped line and the status is 130.
TEST(CliProcess, InterruptStopsABatchRunBetweenLabels)
{
    TempDir dir;
    const QString sample = samplePath(QStringLiteral("shipping_sscc.lbl"));
    QFile original(sample);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    constexpr int kLabels = 20;
    QStringList labels;
    for (int i = 0; i < kLabels; ++i)
        labels << dir.copy(sample, QStringLiteral("label%1.lbl").arg(i, 2, 10, QLatin1Char('0')));
    const auto contents = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("STROVEX_DESIGNER"), QString());
    // Slow enough a designer that the run is still at its start when the signal comes.
    environment.insert(QStringLiteral("STROVEX_SIM_LATENCY_US"), QStringLiteral("20000"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(STROVEX_CLI_PATH), QStringList{QStringLiteral("set-printer"), QStringLiteral("Dock 9")} + labels);
    ASSERT_TRUE(process.waitForStarted());

    // The first label saved: the run is under way.
    for (int tries = 0; tries < 6000 && contents(labels[0]) == before; ++tries)
        QThread::msleep(10);
    ASSERT_NE(contents(labels[0]), before) << "the run did not start";
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(120000));
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), CliStopped);

    QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    // The labels done are in the journal, which the line after the report names.
    EXPECT_TRUE(lines.takeLast().startsWith(QStringLiteral("Journal: run ")));
    ASSERT_FALSE(lines.isEmpty());
    const QRegularExpressionMatch stopped =
        QRegularExpression(QStringLiteral("^Stopped by the user after (\\d+) of 20 labels\\.$")).match(lines.last());
    ASSERT_TRUE(stopped.hasMatch()) << lines.last().toStdString();
    const int done = stopped.captured(1).toInt();
    EXPECT_GE(done, 1);
    EXPECT_LT(done, kLabels);
    ASSERT_EQ(lines.size(), kLabels + 1);
    for (int i = 0; i < kLabels; ++i) {
        SCOPED_TRACE(i);
        if (i < done) {
            EXPECT_EQ(lines[i], labels[i] + QStringLiteral(" - Done."));
            EXPECT_NE(contents(labels[i]), before);
        } else {
            EXPECT_EQ(lines[i], labels[i]);
            EXPECT_EQ(contents(labels[i]), before);
        }
    }
}
#endif
