#include "app/command_line.h"

#include <gtest/gtest.h>

using namespace strovex;
using Action = CommandLine::Action;

namespace {

TEST(CommandLine, FilesBecomeAbsoluteAndOptionsAreAnsweredOrRefused)
{
    const QString here = QStringLiteral("/home/ann/labels");
    struct Case {
        QStringList args;
        Action action;
        QStringList files;
        const char *textStart;
    };
    const Case cases[] = {
        {{}, Action::Open, {}, ""},
        {{QStringLiteral("samples/x.lbl")}, Action::Open, {QStringLiteral("/home/ann/labels/samples/x.lbl")}, ""},
        {{QStringLiteral("./a.lbl"), QStringLiteral("../b.lbl"), QStringLiteral("/srv/c.lbl")},
         Action::Open,
         {QStringLiteral("/home/ann/labels/a.lbl"), QStringLiteral("/home/ann/b.lbl"), QStringLiteral("/srv/c.lbl")},
         ""},
        {{QStringLiteral("--help")}, Action::Help, {}, "Usage: strovex"},
        {{QStringLiteral("a.lbl"), QStringLiteral("-h")}, Action::Help, {}, "Usage: strovex"},
        {{QStringLiteral("--version")}, Action::Version, {}, "Strovex " STROVEX_VERSION},
        {{QStringLiteral("--print"), QStringLiteral("a.lbl")}, Action::Usage, {}, "Unknown option \"--print\".\nUsage: strovex"},
        {{QStringLiteral("--"), QStringLiteral("--help"), QStringLiteral("-")},
         Action::Open,
         {QStringLiteral("/home/ann/labels/--help"), QStringLiteral("/home/ann/labels/-")},
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

} // namespace
