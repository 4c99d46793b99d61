// The command line itself: help, usage and input errors, no designer.

#include "cli_fixture.h"
#include "platform/platform_info.h"

using namespace strovex;
using namespace strovex::test;

namespace {

const QStringList kCommands = {
    QStringLiteral("info"), QStringLiteral("export-variables"), QStringLiteral("command-file"),
    QStringLiteral("graph"), QStringLiteral("preview"), QStringLiteral("search"), QStringLiteral("find"),
    QStringLiteral("set-printer"), QStringLiteral("set-paths"), QStringLiteral("set-variable-length"),
    QStringLiteral("extract-scripts"),
};

} // namespace

TEST_F(CliTest, HelpForTheProgramAndForEveryCommand)
{
    for (const QStringList &args : {QStringList{QStringLiteral("--help")}, QStringList{QStringLiteral("-h")}}) {
        const CliResult result = runCliCaptured(args);
        EXPECT_EQ(result.status, CliOk);
        EXPECT_TRUE(result.out.startsWith(QStringLiteral("Usage: strovex-cli [--designer auto|none] COMMAND [ARGS]")));
        for (const QString &command : kCommands)
            EXPECT_TRUE(result.out.contains(QStringLiteral("\n  ") + command + QLatin1Char(' '))) << command.toStdString();
        EXPECT_TRUE(result.err.isEmpty());
    }
    for (const QString &command : kCommands) {
        // Help wins over whatever else stands on the line, and needs no designer.
        const CliResult result = runCliCaptured({QStringLiteral("--designer"), QStringLiteral("none"), command,
                                                 QStringLiteral("x"), QStringLiteral("--help")});
        EXPECT_EQ(result.status, CliOk) << command.toStdString();
        EXPECT_TRUE(result.out.startsWith(QStringLiteral("Usage: strovex-cli [--designer auto|none] ") + command + u' '))
            << result.out.toStdString();
    }
}

TEST_F(CliTest, VersionNeedsNoDesigner)
{
    const CliResult result = runCliCaptured({QStringLiteral("--version")});
    EXPECT_EQ(result.status, CliOk);
    EXPECT_EQ(result.out, QStringLiteral("strovex-cli ") + versionText(productVersion(), buildNumber()) + u'\n');
    EXPECT_TRUE(result.out.contains(QStringLiteral(STROVEX_VERSION))) << result.out.toStdString();
    EXPECT_TRUE(result.err.isEmpty());
}

TEST_F(CliTest, UsageAndInputErrorsEndWithStatusTwoTheMessageAndTheHelp)
{
    const QString label = dir.write(QStringLiteral("a.lbl"), R"({"SimulatedLabel": 1,
        "Variables": [{"Name": "Lot", "Kind": 1, "Length": 5}]})");
    const QByteArray before = readAll(label);
    const QString missingFolder = dir.file(QStringLiteral("no such folder"));
    struct Case {
        QStringList args;
        QString message;
    };
    const std::vector<Case> cases = {
        {{}, QStringLiteral("No command given.")},
        {{QStringLiteral("frobnicate")}, QStringLiteral("Unknown command \"frobnicate\".")},
        {{QStringLiteral("--designer"), QStringLiteral("maybe"), QStringLiteral("info"), label},
         QStringLiteral("Option --designer takes auto or none, not \"maybe\".")},
        {{QStringLiteral("--verbose"), QStringLiteral("info"), label}, QStringLiteral("Unknown option --verbose.")},
        {{QStringLiteral("info")}, QStringLiteral("Expected at least one LABEL.")},
        {{QStringLiteral("info"), label, QStringLiteral("--xml")}, QStringLiteral("Unknown option --xml.")},
        {{QStringLiteral("info"), label, QStringLiteral("--json=yes")}, QStringLiteral("Option --json takes no value.")},
        {{QStringLiteral("graph"), label}, QStringLiteral("Expected LABEL and OUT.")},
        {{QStringLiteral("export-variables"), label, dir.file(QStringLiteral("v.csv")), QStringLiteral("--sort"),
          QStringLiteral("Colour")},
         QStringLiteral("There is no column \"Colour\"; the columns are Name, Type, Order, Length, Default Value, "
                        "Format, Is Used, ID.")},
        {{QStringLiteral("export-variables"), label, dir.file(QStringLiteral("v.csv")), QStringLiteral("--sort")},
         QStringLiteral("Option --sort needs a value.")},
        {{QStringLiteral("preview"), label, dir.file(QStringLiteral("p.bmp")), QStringLiteral("--size"),
          QStringLiteral("0x10")},
         QStringLiteral("--size must be WIDTHxHEIGHT")},
        {{QStringLiteral("preview"), label, dir.file(QStringLiteral("p.bmp")), QStringLiteral("--size=800")},
         QStringLiteral("--size must be WIDTHxHEIGHT")},
        {{QStringLiteral("find"), missingFolder}, QStringLiteral("\"%1\" is not a folder.").arg(missingFolder)},
        {{QStringLiteral("set-printer"), QStringLiteral("P")},
         QStringLiteral("No labels given: name at least one LABEL or --folder DIR.")},
        {{QStringLiteral("set-printer"), QStringLiteral("P"), label, QStringLiteral("--folder"), missingFolder},
         QStringLiteral("\"%1\" is not a folder.").arg(missingFolder)},
        {{QStringLiteral("set-paths"), QStringLiteral("old")}, QStringLiteral("Too few arguments.")},
        {{QStringLiteral("set-variable-length"), QString(), QStringLiteral("9"), label},
         QStringLiteral("NAME must not be empty.")},
        {{QStringLiteral("set-variable-length"), QStringLiteral("Lot"), QStringLiteral("12abc"), label},
         QStringLiteral("LENGTH \"12abc\" is not a whole number:")},
        {{QStringLiteral("set-variable-length"), QStringLiteral("Lot"), QStringLiteral("4294967296"), label},
         QStringLiteral("in the signed 32-bit range")},
        {{QStringLiteral("set-variable-length"), QStringLiteral("Lot"), QString(), label},
         QStringLiteral("LENGTH \"\" is not a whole number:")},
        {{QStringLiteral("extract-scripts"), QStringLiteral("--dest"), missingFolder, label},
         QStringLiteral("The destination \"%1\" is not a folder.").arg(missingFolder)},
    };
    for (const Case &c : cases) {
        const CliResult result = runCliCaptured(c.args);
        const std::string trace = c.args.join(u' ').toStdString();
        EXPECT_EQ(result.status, CliUsage) << trace;
        EXPECT_TRUE(result.err.contains(c.message)) << trace << "\n" << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("\n\nUsage: strovex-cli"))) << trace;
        EXPECT_TRUE(result.out.isEmpty()) << trace;
    }
    EXPECT_EQ(readAll(label), before);
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("v.csv"))));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("p.bmp"))));
}

TEST_F(CliTest, ANegativeLengthIsAnArgumentAndGoesToTheDesigner)
{
    // The designer refuses lengths below 1 outright: the run ends there.
    const QString label = dir.write(QStringLiteral("a.lbl"), R"({"SimulatedLabel": 1,
        "Variables": [{"Name": "Lot", "Kind": 1, "Length": 5}]})");
    const CliResult result =
        runCliCaptured({QStringLiteral("set-variable-length"), QStringLiteral("Lot"), QStringLiteral("-5"), label});
    EXPECT_EQ(result.status, CliNoDesigner) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(QStringLiteral("Old length: 5; New length: -5\n")));
}

TEST_F(CliTest, WithoutADesignerEveryCommandThatNeedsOneEndsWithStatusThree)
{
    const QString label = samplePath(QStringLiteral("shipping_sscc.lbl"));
    const QString out = dir.file(QStringLiteral("out"));
    const std::vector<QStringList> commands = {
        {QStringLiteral("info"), label},
        {QStringLiteral("export-variables"), label, out},
        {QStringLiteral("command-file"), label, out},
        {QStringLiteral("graph"), label, out},
        {QStringLiteral("preview"), label, out},
        {QStringLiteral("search"), label, QStringLiteral("SSCC")},
        {QStringLiteral("set-printer"), QStringLiteral("P"), label},
        {QStringLiteral("set-paths"), QStringLiteral("a"), QStringLiteral("b"), label},
        {QStringLiteral("set-variable-length"), QStringLiteral("SSCC"), QStringLiteral("9"), label},
        {QStringLiteral("extract-scripts"), label},
    };
    for (const QStringList &command : commands) {
        const CliResult result = runCliCaptured(QStringList{QStringLiteral("--designer=none")} + command);
        EXPECT_EQ(result.status, CliNoDesigner) << command.join(u' ').toStdString();
        EXPECT_EQ(result.err, QStringLiteral("Program requires Quillmark 5 or Quillmark 6 to be installed!\n"));
        EXPECT_TRUE(result.out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(out));
}
