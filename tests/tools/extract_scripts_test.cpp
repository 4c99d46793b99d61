#include "tools/extract_scripts.h"

#include "platform/files.h"
#include "sim/sim_designer.h"
#include "support/temp_dir.h"
#include "print_qt.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

using namespace strovex;
using strovex::test::readAll;
using strovex::test::TempDir;

TEST(ScriptFileName, Composition)
{
    const struct {
        const char *destination, *label, *function, *expected;
    } cases[] = {
        {"", "/labels/Box.lbl", "Check", "/labels/Box.Check.vbs"},
        {"/out", "/labels/Box.lbl", "Check", "/out/Box.Check.vbs"},
        {"/out/", "/labels/Box.lbl", "Check", "/out/Box.Check.vbs"},
        {"", "/labels/a.b.lbl", "Check", "/labels/a.b.Check.vbs"},
        {"", "/labels/Box", "Check", "/labels/Box.Check.vbs"},
        {"/out", "/la.bels/Box", "F", "/out/Box.F.vbs"},
        {"", "Box.lbl", "F", "Box.F.vbs"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(scriptFileName(QString::fromUtf8(c.destination), QString::fromUtf8(c.label), QString::fromUtf8(c.function)),
                  QString::fromUtf8(c.expected))
            << c.destination << " + " << c.label;
    }
    // A lone surrogate is no character any file system stores: it becomes the
    // replacement character; a pair stays as it is.
    const QChar high(0xD800), low(0xDC00);
    EXPECT_EQ(scriptFileName(QString(), QStringLiteral("/l/Box.lbl"), QString(high) + QChar(u'x') + low + high),
              QStringLiteral("/l/Box.\uFFFDx\uFFFD\uFFFD.vbs"));
    EXPECT_EQ(scriptFileName(QString(), QStringLiteral("/l/Box.lbl"), QString(high) + low),
              QStringLiteral("/l/Box.") + high + low + QStringLiteral(".vbs"));
}

namespace {

class ExtractRun : public ::testing::Test {
protected:
    void TearDown() override
    {
        app.release();
        EXPECT_EQ(sim::liveLabels(), 0) << "a run left a label open";
    }
    QString label(const QString &name, const QByteArray &functionsJson)
    {
        return dir.write(name, R"({"SimulatedLabel": 1, "Functions": )" + functionsJson + "}");
    }
    // Every file under the temporary folder other than the labels, relative to it.
    QStringList written() const
    {
        QStringList files;
        QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.endsWith(QStringLiteral(".lbl")))
                files << QDir(dir.path()).relativeFilePath(path);
        }
        files.sort();
        return files;
    }

    TempDir dir;
    QuillApp app{sim::createApplication()};
    LinesReport report;
};

// Kind 9 named "QUILLScript" is a script function; the first character of Script is not source.
QByteArray vb(const char *name, const char *script)
{
    return QByteArray(R"({"Name": ")") + name + R"(", "Kind": 9, "KindName": "QUILLScript", "Script": ")" + script + "\"}";
}

} // namespace

TEST_F(ExtractRun, WritesOneFilePerScriptFunctionIntoTheLabelsFolder)
{
    const QString box = label(QStringLiteral("labels/Box.lbl"),
                              "[" + vb("Check", "#Sub A\\r\\n  x = \\\"Č日\\\"\\r\\nEnd Sub") + ","
                                  R"({"Name": "Joined", "Kind": 1, "Script": "#not a script"},)"
                                  R"({"Name": "Foreign", "Kind": 9, "KindName": "quillscript", "Script": "#lower case kind"},)"
                                  + vb("One", "#") + "," + vb("Empty", "") + "," + vb("Prüfen", "'ok") + "]");
    const QString plain = label(QStringLiteral("labels/Plain.lbl"), R"([{"Name": "Joined", "Kind": 1, "Script": "#x"}])");
    const QString single = label(QStringLiteral("labels/a.b.lbl"), "[" + vb("Check", "?x") + "]");
    const QString missing = dir.file(QStringLiteral("labels/missing.lbl"));

    runExtractScripts({box, plain, missing, single}, app, QString(), report);

    EXPECT_EQ(report.lines(), (QStringList{
                                  box + QStringLiteral(" - 2 scripts saved."),
                                  plain,
                                  missing + QStringLiteral(" - Error: Cannot open label."),
                                  single + QStringLiteral(" - 1 script saved."),
                              }));
    EXPECT_EQ(written(), (QStringList{QStringLiteral("labels/Box.Check.vbs"), QStringLiteral("labels/Box.Prüfen.vbs"),
                                      QStringLiteral("labels/a.b.Check.vbs")}));
#ifdef _WIN32
    // The script host reads the ANSI code page or UTF-16: a script the code
    // page cannot hold is written as UTF-16 LE with a byte-order mark there.
    const QString checkText = QStringLiteral("Sub A\r\n  x = \"Č日\"\r\nEnd Sub\r\n");
    QByteArray check("\xFF\xFE");
    for (const QChar c : checkText)
        check.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
#else
    const QByteArray check("Sub A\r\n  x = \"\xC4\x8C\xE6\x97\xA5\"\r\nEnd Sub\r\n");
#endif
    EXPECT_EQ(readAll(dir.file(QStringLiteral("labels/Box.Check.vbs"))), check);
    EXPECT_EQ(readAll(dir.file(QStringLiteral("labels/Box.Prüfen.vbs"))), QByteArray("ok\r\n"));
    EXPECT_EQ(readAll(dir.file(QStringLiteral("labels/a.b.Check.vbs"))), QByteArray("x\r\n"));
}

TEST_F(ExtractRun, DestinationFolderSameBaseNamesDoNotOverwriteAndRerunsDoNotAccumulate)
{
    QDir().mkpath(dir.file(QStringLiteral("out")));
    const QString first = label(QStringLiteral("one/Box.lbl"), "[" + vb("Check", "#first") + "," + vb("Only1", "#1") + "]");
    const QString second = label(QStringLiteral("two/Box.lbl"), "[" + vb("Check", "#second") + "]");
    for (const QString &destination : {dir.file(QStringLiteral("out")), dir.file(QStringLiteral("out/"))}) {
        runExtractScripts({first, second}, app, destination, report);
        EXPECT_EQ(report.lines(), (QStringList{first + QStringLiteral(" - 2 scripts saved."),
                                               second + QStringLiteral(" - Error: Function \"Check\" skipped: the file \"")
                                                   + dir.file(QStringLiteral("out/Box.Check.vbs"))
                                                   + QStringLiteral("\" was already written in this run. No script saved.")}));
    }
    EXPECT_EQ(written(), (QStringList{QStringLiteral("out/Box.Check.vbs"), QStringLiteral("out/Box.Only1.vbs")}));
    EXPECT_EQ(readAll(dir.file(QStringLiteral("out/Box.Check.vbs"))), QByteArray("first\r\n"));
}

TEST_F(ExtractRun, NamesThatMeetOnDiskAreWrittenOnce)
{
    // The same name twice, and two lone surrogates that both become one replacement character.
    const QString twice = label(QStringLiteral("twice.lbl"), "[" + vb("F", "#one") + "," + vb("F", "#two") + "]");
    const QString lone = label(QStringLiteral("lone.lbl"), "[" + vb("\\ud800", "#high") + "," + vb("\\udc00", "#low") + "]");
    runExtractScripts({twice, lone}, app, QString(), report);
    ASSERT_EQ(report.lines().size(), 2);
    EXPECT_TRUE(report.lines()[0].startsWith(twice + QStringLiteral(" - Error: Function \"F\" skipped: the file \"")));
    EXPECT_TRUE(report.lines()[0].endsWith(QStringLiteral("\" was already written in this run. 1 script saved.")));
    EXPECT_TRUE(report.lines()[1].startsWith(lone + QStringLiteral(" - Error: Function \"")));
    EXPECT_TRUE(report.lines()[1].endsWith(QStringLiteral("\" was already written in this run. 1 script saved.")));
    EXPECT_EQ(written(), (QStringList{QStringLiteral("lone.\uFFFD.vbs"), QStringLiteral("twice.F.vbs")}));
    EXPECT_EQ(readAll(dir.file(QStringLiteral("twice.F.vbs"))), QByteArray("one\r\n"));
    EXPECT_EQ(readAll(dir.file(QStringLiteral("lone.\uFFFD.vbs"))), QByteArray("high\r\n"));
}

TEST_F(ExtractRun, DistinctNamesOutsideTheCodePageAreEachWritten)
{
    const QString l = label(QStringLiteral("l.lbl"), "[" + vb("日", "#a") + "," + vb("本", "#b") + "," + vb("Č", "#c") + ","
                                                      + vb("C", "#d") + "]");
    runExtractScripts({l}, app, QString(), report);
    EXPECT_EQ(report.lines(), QStringList{l + QStringLiteral(" - 4 scripts saved.")});
    EXPECT_EQ(readAll(dir.file(QStringLiteral("l.日.vbs"))), QByteArray("a\r\n"));
    EXPECT_EQ(readAll(dir.file(QStringLiteral("l.本.vbs"))), QByteArray("b\r\n"));
    EXPECT_EQ(readAll(dir.file(QStringLiteral("l.Č.vbs"))), QByteArray("c\r\n"));
    EXPECT_EQ(readAll(dir.file(QStringLiteral("l.C.vbs"))), QByteArray("d\r\n"));
}

TEST_F(ExtractRun, NeverWritesThroughASymbolicLinkOrOverALabelBeingRead)
{
#ifndef _WIN32 // symbolic links: POSIX file-system behaviour
    const QString outside = dir.write(QStringLiteral("outside/precious.txt"), "precious");
    QDir().mkpath(dir.file(QStringLiteral("dest")));
    ASSERT_TRUE(QFile::link(outside, dir.file(QStringLiteral("dest/box.F.vbs"))));
    const QString box = label(QStringLiteral("box.lbl"), "[" + vb("F", "#evil") + "]");
    try {
        runExtractScripts({box}, app, dir.file(QStringLiteral("dest")), report);
        ADD_FAILURE() << "the run should have ended";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(dir.file(QStringLiteral("dest/box.F.vbs")))))
            << e.what();
    }
    EXPECT_EQ(readAll(outside), QByteArray("precious"));
#endif

    // A label whose name a script file of another label would take.
    const QString a = label(QStringLiteral("a.lbl"), "[" + vb("F", "#script") + "]");
    const QString named = label(QStringLiteral("a.F.vbs"), "[]");
    const QByteArray labelBytes = readAll(named);
    runExtractScripts({a, named}, app, QString(), report);
    EXPECT_EQ(report.lines(), (QStringList{a + QStringLiteral(" - Error: Function \"F\" skipped: \"%1\" is one of the labels "
                                                              "being read. No script saved.").arg(named),
                                           named}));
    EXPECT_EQ(readAll(named), labelBytes);
}

TEST_F(ExtractRun, FailureWhileExaminingOneFunctionSkipsOnlyThatFunction)
{
    const QString l = dir.write(QStringLiteral("l.lbl"), QByteArray(R"({"SimulatedLabel": 1, "Functions": [)") + vb("A", "#a")
                                                             + "," + vb("B", "#b") + "," + vb("C", "#c") + "," + vb("D", "#d")
                                                             + "," + vb("E", "#e") +
                                                             R"(], "Faults": {"Functions[2].Script": {"Raise": "broken"},
                                                                 "Functions[3].Kind": {"Raise": "Simulated failure."},
                                                                 "Functions[4]": {"Nothing": true},
                                                                 "Functions[5].Name": {"Raise": "unnamed"}}})");
    runExtractScripts({l}, app, QString(), report);
    // Each failure is told; a function the designer does not hand out is no failure.
    EXPECT_EQ(report.lines(), QStringList{l + QStringLiteral(" - Error: Function \"B\" skipped: broken. Function \"C\" skipped: "
                                                             "Simulated failure. Function 5 skipped: unnamed. 1 script saved.")});
    EXPECT_EQ(written(), QStringList{QStringLiteral("l.A.vbs")});
}

TEST_F(ExtractRun, WriteErrorEndsTheRunNamingTheFile)
{
    const QString a = label(QStringLiteral("a.lbl"), "[" + vb("F", "#a") + "]");
    const QString b = label(QStringLiteral("b.lbl"), "[" + vb("F", "#b") + "]");
    // A destination that does not exist.
    const QString nowhere = dir.file(QStringLiteral("nowhere"));
    try {
        runExtractScripts({a, b}, app, nowhere, report);
        FAIL() << "the run should have ended";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create file \"%1/a.F.vbs\". ").arg(nowhere)))
            << e.what();
        EXPECT_GT(e.message().size(), QStringLiteral("Cannot create file \"%1/a.F.vbs\". ").arg(nowhere).size());
    }
    EXPECT_EQ(report.lines(), (QStringList{a, b}));
    EXPECT_TRUE(written().isEmpty());
}

TEST_F(ExtractRun, FunctionNamesNeverLeadOutOfTheDestination)
{
    // Folders that would let a crafted name resolve, so only the check stops it.
    QDir().mkpath(dir.file(QStringLiteral("out/inner/bad.")));
    QDir().mkpath(dir.file(QStringLiteral("out/inner/bad.sub")));
    const QString good = label(QStringLiteral("good.lbl"), "[" + vb("F", "#a") + "]");
    for (const char *name : {"/../../escape", "sub/x", "..", ".", "a\\\\b"}) {
        const QString bad = label(QStringLiteral("bad.lbl"), "[" + vb("Fine", "#ok") + "," + vb(name, "#evil") + "]");
        const QString expected = scriptFileName(dir.file(QStringLiteral("out/inner")), bad,
                                                QString::fromUtf8(QByteArray(name).replace("\\\\", "\\")));
        try {
            runExtractScripts({good, bad, good}, app, dir.file(QStringLiteral("out/inner")), report);
            ADD_FAILURE() << name << ": the run should have ended";
        } catch (const FileError &e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(expected))) << e.what();
        }
        EXPECT_EQ(report.lines(), (QStringList{good + QStringLiteral(" - 1 script saved."), bad, good})) << name;
        // Only the well-named scripts were written, all inside the destination.
        EXPECT_EQ(written(), (QStringList{QStringLiteral("out/inner/bad.Fine.vbs"), QStringLiteral("out/inner/good.F.vbs")}))
            << name;
    }
}

TEST_F(ExtractRun, FailingCallOutsideOneFunctionEndsTheRun)
{
    const QString a = label(QStringLiteral("a.lbl"), "[" + vb("F", "#a") + "]");
    const QString b = dir.write(QStringLiteral("b.lbl"), QByteArray(R"({"SimulatedLabel": 1, "Functions": [)") + vb("F", "#b") +
                                                             R"(], "Faults": {"Functions[1]": {"Raise": "gone"}}})");
    const QString c = label(QStringLiteral("c.lbl"), "[" + vb("F", "#c") + "]");
    EXPECT_THROW(runExtractScripts({a, b, c}, app, QString(), report), AutomationError);
    EXPECT_EQ(report.lines(), (QStringList{a + QStringLiteral(" - 1 script saved."), b, c}));
    EXPECT_EQ(written(), QStringList{QStringLiteral("a.F.vbs")});
}
