#include "app/command_line.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using namespace strovex;
using Action = CommandLine::Action;

namespace {

TEST(CommandLine, FilesBecomeAbsoluteAndOptionsAreAnsweredOrRefused)
{
    // An absolute path names its drive on Windows.
#ifdef _WIN32
    const QString root = QStringLiteral("D:");
#else
    const QString root;
#endif
    const QString here = root + QStringLiteral("/home/ann/labels");
    struct Case {
        QStringList args;
        Action action;
        QStringList files;
        const char *textStart;
    };
    const Case cases[] = {
        {{}, Action::Open, {}, ""},
        {{QStringLiteral("samples/x.lbl")}, Action::Open, {root + QStringLiteral("/home/ann/labels/samples/x.lbl")}, ""},
        {{QStringLiteral("./a.lbl"), QStringLiteral("../b.lbl"), root + QStringLiteral("/srv/c.lbl")},
         Action::Open,
         {root + QStringLiteral("/home/ann/labels/a.lbl"), root + QStringLiteral("/home/ann/b.lbl"), root + QStringLiteral("/srv/c.lbl")},
         ""},
        {{QStringLiteral("--help")}, Action::Help, {}, "Usage: strovex"},
        {{QStringLiteral("a.lbl"), QStringLiteral("-h")}, Action::Help, {}, "Usage: strovex"},
        {{QStringLiteral("--version")}, Action::Version, {}, "Strovex " STROVEX_VERSION},
        {{QStringLiteral("--print"), QStringLiteral("a.lbl")}, Action::Usage, {}, "Unknown option \"--print\".\nUsage: strovex"},
        {{QStringLiteral("--"), QStringLiteral("--help"), QStringLiteral("-")},
         Action::Open,
         {root + QStringLiteral("/home/ann/labels/--help"), root + QStringLiteral("/home/ann/labels/-")},
         ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const CommandLine line = parseCommandLine(c.args, here);
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.files, c.files);
        const QString start = QString::fromUtf8(c.textStart);
        EXPECT_EQ(line.text.left(start.size()), start) << line.text.toStdString();
        EXPECT_EQ(line.text.isEmpty(), start.isEmpty());
    }
}

// Over SSH there is no display: the answers that need no window still come.
TEST(CommandLine, TheProgramAnswersHelpVersionAndUsageWithoutADisplay)
{
    struct Case {
        const char *arg;
        int status;
        const char *outStart;
        const char *errStart;
    };
    const Case cases[] = {
        {"--help", 0, "Usage: strovex", ""},
        {"--version", 0, "Strovex " STROVEX_VERSION, ""},
        {"--print", 2, "", "Unknown option \"--print\"."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arg);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(STROVEX_APP_PATH), {QString::fromLatin1(c.arg)});
        ASSERT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.status);
        const QByteArray out = process.readAllStandardOutput();
        const QByteArray err = process.readAllStandardError();
        EXPECT_TRUE(out.startsWith(c.outStart)) << out.toStdString();
        EXPECT_TRUE(err.startsWith(c.errStart)) << err.toStdString();
        EXPECT_EQ(out.isEmpty(), *c.outStart == 0);
        EXPECT_EQ(err.isEmpty(), *c.errStart == 0);
    }
}

} // namespace
