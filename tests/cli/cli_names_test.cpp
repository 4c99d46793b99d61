// File names a terminal or the file system could take the wrong way: control
// characters in reports, and names whose bytes are not valid UTF-8.

#include "cli_fixture.h"

#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace strovex;
using namespace strovex::test;

namespace {

const QByteArray kLabel = R"({"SimulatedLabel": 1, "PrinterName": "Old"})";

CliResult runNative(const QList<QByteArray> &args)
{
    CliResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.status = runCli(args, out, err, CliOptions{});
    out.flush();
    err.flush();
    return result;
}

} // namespace

// Every kind of report prints a name with an escape sequence or a line break
// as one safe line; only --json keeps the name exact, escaped as JSON escapes.
// Windows allows no control character in a file name: such a label cannot exist there.
#ifndef _WIN32
TEST_F(CliTest, NamesWithControlCharactersStayOnOneLineInEveryReport)
{
    const QString esc = dir.write(QStringLiteral("esc\x1b[31mred.lbl"), kLabel);
    const QString newline = dir.write(QStringLiteral("new\nline.lbl"), kLabel);
    const QString missing = dir.file(QStringLiteral("gone\x1b[0m\nnow.lbl"));
    const QString d = dir.path();
    const QString escShown = d + QStringLiteral("/esc [31mred.lbl");
    const QString newlineShown = d + QStringLiteral("/new\\nline.lbl");
    const QString missingShown = d + QStringLiteral("/gone [0m\\nnow.lbl");
    struct Case {
        QStringList args;
        int status;
        QString out;
        QString err;
    };
    const Case cases[] = {
        {{QStringLiteral("set-printer"), QStringLiteral("P"), esc, newline, missing},
         CliFileErrors,
         printedLines({escShown + QStringLiteral(" - Done."), newlineShown + QStringLiteral(" - Done."),
                       missingShown + QStringLiteral(" - Error: Cannot open label.")}),
         QStringLiteral("File \"%1\" cannot be opened: Cannot open label file The file \"%1\" does not exist.\n")
             .arg(missingShown)},
        {{QStringLiteral("set-variable-length"), QStringLiteral("V"), QStringLiteral("5"), esc},
         CliOk,
         printedLines({QStringLiteral("Opening \"%1\"").arg(escShown), QStringLiteral("Variable \"V\" does not exist\""),
                       QStringLiteral("Done"), QStringLiteral(" ")}),
         {}},
        {{QStringLiteral("set-paths"), QStringLiteral("a"), QStringLiteral("b"), newline},
         CliOk,
         printedLines({QStringLiteral("Changing paths for graphics in \"%1\"").arg(newlineShown),
                       QStringLiteral("No graphics files found."), QStringLiteral(" ")}),
         {}},
        {{QStringLiteral("extract-scripts"), esc}, CliOk, printedLines({escShown}), {}},
        {{QStringLiteral("find"), d}, CliOk, printedLines({escShown, newlineShown}), {}},
        {{QStringLiteral("info"), missing},
         CliFileErrors,
         {},
         QStringLiteral("File \"%1\" cannot be opened!\n\nCannot open label file\nThe file \"%1\" does not exist.\n")
             .arg(missingShown)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.first().toStdString());
        const CliResult result = runCliCaptured(c.args);
        EXPECT_EQ(withoutJournalLine(result.out), c.out);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.status, c.status);
    }

    const CliResult json = runCliCaptured({QStringLiteral("info"), QStringLiteral("--json"), esc, newline});
    EXPECT_EQ(json.status, CliOk) << json.err.toStdString();
    EXPECT_TRUE(json.out.contains(QStringLiteral("/esc\\u001b[31mred.lbl\""))) << json.out.toStdString();
    EXPECT_TRUE(json.out.contains(QStringLiteral("/new\\nline.lbl\""))) << json.out.toStdString();
    EXPECT_FALSE(json.out.contains(QChar(0x1b)));
}

#endif

#ifndef _WIN32 // names are bytes only on POSIX systems
namespace {

// A (box\xff.lbl) is not valid UTF-8; read as text it is U+FFFD, whose bytes
// are B's name. Neither may ever stand for the other.
class NonUtf8Names : public CliTest {
protected:
    void SetUp() override
    {
        base = QFile::encodeName(dir.path());
        a = base + "/box\xff.lbl";
        b = base + "/box\xef\xbf\xbd.lbl";
        write(a);
        write(b);
        bBefore = readAll(QFile::decodeName(b));
    }
    // Qt cannot name what it cannot read as text: removed by its bytes here.
    void TearDown() override
    {
        ::unlink(a.constData());
        ::unlink((base + "/caf\xe9/inside.lbl").constData());
        ::rmdir((base + "/caf\xe9").constData());
        CliTest::TearDown();
    }
    static void write(const QByteArray &path)
    {
        std::ofstream file(path.toStdString(), std::ios::binary);
        file << kLabel.toStdString();
        ASSERT_TRUE(file.good()) << path.toStdString();
    }
    static QByteArray bytesOf(const QByteArray &path)
    {
        std::ifstream file(path.toStdString(), std::ios::binary);
        return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(file), {}));
    }
    QByteArray base, a, b, bBefore;
};

} // namespace

TEST_F(NonUtf8Names, AnArgumentThatIsNotValidTextIsRefusedAndNoFileIsTouched)
{
    const QByteArray other = QFile::encodeName(dir.write(QStringLiteral("other.lbl"), kLabel));
    const QByteArray aBefore = bytesOf(a);
    const QString refusal = QStringLiteral("Argument \"%1/box\\xFF.lbl\" is refused: it is not valid UTF-8, so it "
                                           "would name another file.\n")
                                .arg(dir.path());
    for (const QList<QByteArray> &args : {QList<QByteArray>{"set-printer", "NEWP", a}, QList<QByteArray>{"graph", other, a},
                                          QList<QByteArray>{"info", a}}) {
        SCOPED_TRACE(args.first().toStdString());
        const CliResult result = runNative(args);
        EXPECT_EQ(result.status, CliUsage);
        EXPECT_EQ(result.err, refusal);
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_EQ(readAll(QFile::decodeName(b)), bBefore);
        EXPECT_EQ(bytesOf(a), aBefore);
    }
    // Valid UTF-8 arguments pass as they did.
    const CliResult valid = runNative({"set-printer", "NEWP", b});
    EXPECT_EQ(valid.status, CliOk) << valid.err.toStdString();
    EXPECT_EQ(withoutJournalLine(valid.out), QFile::decodeName(b) + QStringLiteral(" - Done.\n"));
}

// The folder search lists B once, passes over A and a folder caf\xe9 and says
// so; a run over such a folder ends with status 1.
TEST_F(NonUtf8Names, FolderSearchReportsWhatItPassesOver)
{
    ASSERT_EQ(::mkdir((base + "/caf\xe9").constData(), 0700), 0);
    write(base + "/caf\xe9/inside.lbl");
    const QString root = dir.path();
    const QString skipped = QStringLiteral("Skipped \"%1/box\\xFF.lbl\": the name is not valid UTF-8, so it would name "
                                           "another file.\nSkipped \"%1/caf\\xE9\": the name is not valid UTF-8, so it "
                                           "would name another file.\n")
                                .arg(root);

    const CliResult find = runNative({"find", base});
    EXPECT_EQ(find.status, CliFileErrors);
    EXPECT_EQ(find.out, QFile::decodeName(b) + u'\n');
    EXPECT_EQ(find.err, skipped);

    const CliResult run = runNative({"set-printer", "NEWP", "--folder", base});
    EXPECT_EQ(run.status, CliFileErrors);
    EXPECT_EQ(withoutJournalLine(run.out), QFile::decodeName(b) + QStringLiteral(" - Done.\n"));
    EXPECT_EQ(run.err, skipped);
    EXPECT_NE(readAll(QFile::decodeName(b)), bBefore);
    EXPECT_EQ(bytesOf(a), kLabel);
    EXPECT_EQ(bytesOf(base + "/caf\xe9/inside.lbl"), kLabel);
}
#endif
