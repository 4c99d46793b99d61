// The pure pieces of the generators (escaping, identifiers, file names,
// encodings) and the one writer every file goes through.

#include "label_fixture.h"

#include "inspect/label_rows.h"
#include "inspect/variables_export.h"
#include "output/command_files.h"
#include "output/graphs.h"
#include "output/sample_value.h"
#include "output/save_suffix.h"
#include "output/text_encodings.h"
#include "platform/files.h"
#include "output/xml_text.h"
#include "platform/settings_store_file.h"
#include "support/child_process.h"
#include "support/temp_dir.h"
#include "tools/extract_scripts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace strovex;

TEST(EscapeLineBreaks, EscapesOnlyCarriageReturnAndLineFeed)
{
    EXPECT_EQ(EscapeLineBreaks(QStringLiteral("\r\n")), QStringLiteral("\\r\\n"));
    EXPECT_EQ(EscapeLineBreaks(QStringLiteral("a\nb\rc")), QStringLiteral("a\\nb\\rc"));
    EXPECT_EQ(EscapeLineBreaks(QStringLiteral("say \"hi\" \\ \t end")), QStringLiteral("say \"hi\" \\ \t end"));
    EXPECT_EQ(EscapeLineBreaks(QString()), QString());
}

TEST(MakeDotIdentifier, RemovesSeparatorsAndTransliteratesByCharacter)
{
    struct Case { QString in, out; };
    const Case cases[] = {
        {QStringLiteral("Ship to - A/B\\C.D&E"), QStringLiteral("ShiptoABCDE")},
        {QStringLiteral("ČčŠšŽžĐđ"), QStringLiteral("CcSsZzDzdz")},
        // Letters that share a byte with Č or Đ in other code pages stay.
        {QStringLiteral("ÈèÐðŠ"), QStringLiteral("ÈèÐðS")},
        {QStringLiteral("Price(EUR)"), QStringLiteral("Price(EUR)")},
        {QStringLiteral("日本\U0001F600"), QStringLiteral("日本\U0001F600")},
        {QString(), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MakeDotIdentifier(c.in), c.out) << c.in.toStdString();
}

TEST(DotId, BareOnlyForPlainIdentifiers)
{
    struct Case { QString in, out; };
    const Case cases[] = {
        {QStringLiteral("varName_1"), QStringLiteral("varName_1")},
        {QStringLiteral("_x"), QStringLiteral("_x")},
        {QStringLiteral("Šifra"), QStringLiteral("Šifra")},
        {QStringLiteral("日本"), QStringLiteral("日本")},
        {QStringLiteral("varPrice(EUR)"), QStringLiteral("\"varPrice(EUR)\"")},
        {QStringLiteral("2024box"), QStringLiteral("\"2024box\"")},
        {QStringLiteral("graph"), QStringLiteral("\"graph\"")},
        {QStringLiteral("DiGraph"), QStringLiteral("\"DiGraph\"")},
        {QStringLiteral("strict"), QStringLiteral("\"strict\"")},
        {QStringLiteral("graphs"), QStringLiteral("graphs")},
        {QStringLiteral("var\"q\""), QStringLiteral("\"var\\\"q\\\"\"")},
        {QStringLiteral("a\\"), QStringLiteral("\"a\\\\\"")},
        {QString(), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(dotId(c.in), c.out) << c.in.toStdString();
}

TEST(FileNames, GraphNameAndDataShortName)
{
    EXPECT_EQ(GraphName(QStringLiteral("/labels/a.b/Box 10.final.lbl")), QStringLiteral("Box 10.final"));
    EXPECT_EQ(GraphName(QStringLiteral("/labels/a.b/noext")), QStringLiteral("noext"));
    EXPECT_EQ(GraphName(QStringLiteral("/labels/.lbl")), QString());

    EXPECT_EQ(DataFileShortName(QStringLiteral("/x/shipping_label.lbl")), QStringLiteral("SHIPPING"));
    EXPECT_EQ(DataFileShortName(QStringLiteral("/x/a.lbl")), QStringLiteral("A       "));
    EXPECT_EQ(DataFileShortName(QStringLiteral("/x/šipka.lbl")), QStringLiteral("ŠIPKA   "));
    EXPECT_EQ(DataFileShortName(QStringLiteral("/x/.lbl")), QStringLiteral("        "));
}

TEST(FileNames, CommandFileFormatByExtension)
{
    struct Case { const char *path; CommandFileFormat format; };
    const Case cases[] = {
        {"/t/a.xml", CommandFileFormat::Xml},
        {"/t/a.XML", CommandFileFormat::Xml},
        {"/t/a.Csv", CommandFileFormat::Csv},
        {"/t/a.dat", CommandFileFormat::Data},
        {"/t/a.DAT", CommandFileFormat::Data},
        {"/t/a.job", CommandFileFormat::Job},
        {"/t/a.txt", CommandFileFormat::Job},
        {"/t/a", CommandFileFormat::Job},
        {"/t/a.xml.bak", CommandFileFormat::Job},
        {"/t/dir.xml/a", CommandFileFormat::Job},
        {"/t/a.xmll", CommandFileFormat::Job},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CommandFileFormatFor(QString::fromLatin1(c.path)), c.format) << c.path;
}

TEST(FileNames, SuffixOfTheSelectedSaveType)
{
    const char *const cases[][2] = {
        {"Quillmark XML Command File (*.xml)", "xml"},
        {"Dot File (*.dot)", "dot"},
        {"Directed Graph Markup Language File (*.dgml)", "dgml"},
        {"Pictures (*.png *.bmp)", "png"},
        {"Text (Windows) (*.txt)", "txt"},
        {"*.csv", "csv"},
        {"All files (*)", "fallback"},
        {"Any (*.*)", "fallback"},
        {"Archives (*.tar*)", "fallback"},
        {"No pattern", "fallback"},
        {"", "fallback"},
    };
    for (const auto &[filter, suffix] : cases)
        EXPECT_EQ(suffixOfNameFilter(QString::fromLatin1(filter), QStringLiteral("fallback")), QString::fromLatin1(suffix)) << filter;
}

TEST(FileNames, GraphFormatByExactDotExtension)
{
    EXPECT_TRUE(IsDotGraphPath(QStringLiteral("/t/a.dot")));
    EXPECT_FALSE(IsDotGraphPath(QStringLiteral("/t/a.DOT")));
    EXPECT_FALSE(IsDotGraphPath(QStringLiteral("/t/a.Dot")));
    EXPECT_FALSE(IsDotGraphPath(QStringLiteral("/t/a.dgml")));
    EXPECT_FALSE(IsDotGraphPath(QStringLiteral("/t/a")));
    EXPECT_FALSE(IsDotGraphPath(QStringLiteral("/t/x.dot/a")));
}

TEST(XmlText, EscapesAndStaysWellFormed)
{
    EXPECT_EQ(xmlAttributeText(QStringLiteral("a&b<c\"d>e'f")), QStringLiteral("a&amp;b&lt;c&quot;d>e'f"));
    EXPECT_EQ(xmlContentText(QStringLiteral("x]]>y>")), QStringLiteral("x]]&gt;y>"));

    // Whatever a designer name holds, a reader of the DGML graph gets the text
    // back, characters XML cannot carry replaced (the XML command file refuses
    // them instead: see XmlCommandFile).
    const QString hostile = QStringLiteral("A&B <tag> \"q\" ]]> \t\r\n|") + QChar(0x01) + QChar(0xD800)
                            + QStringLiteral("日本\U0001F600") + QChar(0xFFFF);
    const QString expected = QStringLiteral("A&B <tag> \"q\" ]]> \t\r\n|") + QChar(0xFFFD) + QChar(0xFFFD)
                             + QStringLiteral("日本\U0001F600") + QChar(0xFFFD);
    const QString doc = QStringLiteral("<r a=\"") + xmlAttributeText(hostile) + QStringLiteral("\">")
                        + xmlContentText(hostile) + QStringLiteral("</r>");
    QXmlStreamReader reader(doc);
    ASSERT_TRUE(reader.readNextStartElement());
    EXPECT_EQ(reader.attributes().value(QStringLiteral("a")).toString(), expected);
    EXPECT_EQ(reader.readElementText(), expected);
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();

    EXPECT_EQ(firstCharacterXmlCannotCarry(hostile), std::optional<char32_t>(0x01));
    EXPECT_EQ(firstCharacterXmlCannotCarry(QStringLiteral("\t\r\n\U0001F600")), std::nullopt);
    EXPECT_EQ(firstCharacterXmlCannotCarry(QStringLiteral("a") + QChar(0xDE00)), std::optional<char32_t>(0xDE00));
    EXPECT_EQ(characterName(0x1D), QStringLiteral("U+001D"));
    EXPECT_EQ(characterName(0x1F600), QStringLiteral("U+1F600"));
}

TEST(SaveFile, EncodesLinesWithCrLf)
{
    const QByteArray utf16 = utf16LeWithBom({QStringLiteral("Ab"), QStringLiteral("č")});
    EXPECT_EQ(utf16, QByteArray("\xFF\xFE" "A\0b\0\r\0\n\0" "\x0D\x01\r\0\n\0", 16));
    EXPECT_EQ(utf16LeWithBom({}), QByteArray("\xFF\xFE", 2));
    EXPECT_EQ(utf8Lines({QStringLiteral("č"), QString()}), QByteArray("\xC4\x8D\r\n\r\n"));
}

TEST(SaveFile, ReplacesTargetAndReportsWhatCannotBeCreated)
{
    test::TempDir dir;
    const QString path = dir.write(QStringLiteral("out.job"), "old content that is longer");
    writeFileAtomically(path, "new");
    EXPECT_EQ(test::readAll(path), QByteArray("new"));

    const QString missing = dir.file(QStringLiteral("no/such/folder/out.job"));
    try {
        writeFileAtomically(missing, "x");
        FAIL() << "no error";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create file \"") + missing + QStringLiteral("\". ")))
            << e.what();
        EXPECT_GT(e.message().size(), QStringLiteral("Cannot create file \"\". ").size() + missing.size());
    }
    EXPECT_FALSE(QFile::exists(missing));
}

TEST(SaveFile, LeavesReadOnlyTargetAsItWas)
{
    if (test::rerunAsUnprivilegedUser())
        return;
    test::TempDir dir;
    // A read-only target is refused and left exactly as it was.
    const QString locked = dir.write(QStringLiteral("locked.job"), "keep");
    QFile::setPermissions(locked, QFile::ReadOwner);
    EXPECT_THROW(writeFileAtomically(locked, "lost"), FileError);
    EXPECT_EQ(test::readAll(locked), QByteArray("keep"));
}

#ifndef _WIN32 // folder mode bits: POSIX file-system behaviour
TEST(SaveFile, WritesInPlaceWhereTheFolderRefusesNewFiles)
{
    if (test::rerunAsUnprivilegedUser())
        return;
    test::TempDir dir;
    const QString folder = dir.file(QStringLiteral("shared"));
    QDir().mkpath(folder);
    const QString path = dir.write(QStringLiteral("shared/out.job"), "old content that is longer");
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    writeFileAtomically(path, "new");
    EXPECT_EQ(test::readAll(path), QByteArray("new"));

    // A new file there cannot be made at all; the message says why.
    const QString fresh = folder + QStringLiteral("/new.job");
    try {
        writeFileAtomically(fresh, "x");
        ADD_FAILURE() << "no error";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.message().endsWith(QStringLiteral("The folder \"%1\" does not allow new files.").arg(folder)))
            << e.what();
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.job")});
}
#endif

#ifndef _WIN32 // symbolic links: POSIX file-system behaviour
TEST(SaveFile, RefusesASymbolicLinkAtTheTargetWhenAsked)
{
    test::TempDir dir;
    const QString outside = dir.write(QStringLiteral("outside/precious.txt"), "precious");
    QDir().mkpath(dir.file(QStringLiteral("dest")));
    const QString link = dir.file(QStringLiteral("dest/box.F.vbs"));
    const QString dangling = dir.file(QStringLiteral("dest/gone.F.vbs"));
    ASSERT_TRUE(QFile::link(outside, link));
    ASSERT_TRUE(QFile::link(dir.file(QStringLiteral("outside/new.txt")), dangling));
    for (const QString &name : {link, dangling}) {
        try {
            writeFileAtomically(name, "script", LinkAtTarget::Refuse);
            ADD_FAILURE() << name.toStdString() << ": no error";
        } catch (const FileError &e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(name))) << e.what();
        }
    }
    EXPECT_EQ(test::readAll(outside), QByteArray("precious"));
    EXPECT_EQ(QDir(dir.file(QStringLiteral("outside"))).entryList(QDir::Files), QStringList{QStringLiteral("precious.txt")});
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), outside);
}
#endif

#ifndef _WIN32 // symbolic and hard links: POSIX file-system behaviour
TEST(SaveFile, SameFileThroughAnyName)
{
    test::TempDir dir;
    const QString label = dir.write(QStringLiteral("a.lbl"), "label");
    const QString other = dir.write(QStringLiteral("b.lbl"), "label");
    ASSERT_TRUE(QFile::link(label, dir.file(QStringLiteral("link.lbl"))));
    ASSERT_EQ(::link(QFile::encodeName(label).constData(), QFile::encodeName(dir.file(QStringLiteral("hard.lbl"))).constData()), 0);
    const struct {
        QString second;
        bool same;
    } cases[] = {
        {label, true},
        {dir.path() + QStringLiteral("/./a.lbl"), true},
        {dir.file(QStringLiteral("link.lbl")), true},
        {dir.file(QStringLiteral("hard.lbl")), true},
        {other, false},                                 // same bytes, another file
        {dir.file(QStringLiteral("missing.lbl")), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isSameFile(label, c.second), c.same) << c.second.toStdString();
    EXPECT_FALSE(isSameFile(dir.file(QStringLiteral("missing.lbl")), dir.file(QStringLiteral("missing.lbl"))));
}
#endif

#ifndef _WIN32 // symbolic and hard links: POSIX file-system behaviour
// Every generator's writer refuses a name that leads to one of the labels
// being read, whatever the name; the labels keep their bytes.
TEST(Writers, NeverReplaceALabelBeingRead)
{
    test::TempDir dir;
    const QString label = dir.copy(test::fixturePath(QStringLiteral("shipping.lbl")), QStringLiteral("a.lbl"));
    const QString other = dir.copy(test::fixturePath(QStringLiteral("shipping.lbl")), QStringLiteral("b.lbl"));
    const QByteArray original = test::readAll(label);
    const QString symlink = dir.file(QStringLiteral("symlink.xml"));
    const QString hardlink = dir.file(QStringLiteral("hardlink.dot"));
    ASSERT_TRUE(QFile::link(label, symlink));
    ASSERT_EQ(::link(QFile::encodeName(label).constData(), QFile::encodeName(hardlink).constData()), 0);
    const test::OpenedLabel opened(label);
    LabelHandles view = opened.view;
    view.labelFiles << other; // a second label open beside it

    using Writer = void (*)(const LabelHandles &, const QString &);
    const Writer writers[] = {WriteJobFile, WriteXmlCommandFile, WriteCsvCommandFile, WriteDataFile,
                              WriteCommandFile, WriteDotGraph, WriteDgmlGraph};
    for (const QString &target : {label, symlink, hardlink, other}) {
        for (const Writer write : writers) {
            try {
                write(view, target);
                ADD_FAILURE() << "written: " << target.toStdString();
            } catch (const FileError &e) {
                EXPECT_EQ(e.message(), QStringLiteral("Cannot create file \"%1\". It is the label being read.").arg(target));
            }
        }
    }
    EXPECT_EQ(test::readAll(label), original);
    EXPECT_EQ(test::readAll(other), original);
    EXPECT_EQ(QFileInfo(symlink).symLinkTarget(), label);
}
#endif

TEST(SaveFile, MessageKeepsTextAfterANul)
{
    const QString text = QStringLiteral("Cannot create file \"a.F") + QChar(0) + QStringLiteral("x.vbs\". Invalid name.");
    EXPECT_EQ(FileError(text).message(), text);
}

// A write that fails part-way (the file-size limit of a child process, the
// same short write as a full disk) leaves every kind of file Strovex or the
// designer writes byte for byte as it was, and says why.
#ifndef _WIN32 // a file-size limit (setrlimit) in a forked child: POSIX only
TEST(SaveFile, ShortWriteLeavesEveryTargetAsItWas)
{
    test::TempDir dir;
    const QString label = dir.copy(test::fixturePath(QStringLiteral("shipping.lbl")), QStringLiteral("label.lbl"));
    const QString scripts = dir.write(QStringLiteral("scripts/box.lbl"),
                                      R"({"SimulatedLabel": 1, "Functions": [{"Name": "F", "Kind": 9, "KindName": "QUILLScript",
                                          "Script": "#Sub Check(value)\r\n  Check = Len(value) Mod 10 = 0 And value <> \"\"\r\nEnd Sub"}]})");
    const auto opened = [&label] { return test::OpenedLabel(label); };
    const QString tooLarge = QStringLiteral("File too large");
    const struct {
        const char *target;
        QByteArray old; // the target's bytes before; none for the label itself
        QString expected;
        std::function<QString(const QString &target)> write;
    } cases[] = {
        {"out.job", "old bytes", tooLarge, [&](const QString &target) {
             WriteJobFile(opened().view, target);
             return QString();
         }},
        {"out.dot", "old bytes", tooLarge, [&](const QString &target) {
             WriteDotGraph(opened().view, target);
             return QString();
         }},
        {"vars.csv", "old bytes", tooLarge, [&](const QString &target) {
             TVariableRow row;
             row.Name = QString(200, u'V');
             ExportVariables(target, {&row});
             return QString();
         }},
        {"scripts/box.F.vbs", "old bytes", tooLarge, [&](const QString &) {
             LinesReport report;
             const QuillApp app(sim::createApplication());
             runExtractScripts({scripts}, app, QString(), report);
             return QString();
         }},
        {"label.lbl", {}, tooLarge, [&](const QString &) {
             test::OpenedLabel l = opened();
             l.label.SetPrinterName(QStringLiteral("NEWP"));
             return l.label.Save() ? QString() : l.app.LastErrorText();
         }},
        {"preview.bmp", "old bytes", tooLarge, [&](const QString &target) {
             test::OpenedLabel l = opened();
             l.label.ExportPreview(target, 200, 100);
             return l.app.LastErrorText();
         }},
        // The settings store words its errors as the registry does.
        {"settings.json", R"({"Software\\Strovex": {}})", QStringLiteral("Failed to set data for 'Value'"),
         [&](const QString &target) {
             FileSettingsStore store(target);
             const std::unique_ptr<SettingsKey> key = store.openKey(u"Software\\Strovex", true);
             StoredValue value;
             value.kind = StoredKind::String;
             value.text = std::u16string(200, u'x');
             key->write(u"Value", value);
             return QString();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.target);
        const QString target = c.old.isNull() ? dir.file(QString::fromUtf8(c.target))
                                              : dir.write(QString::fromUtf8(c.target), c.old);
        const QByteArray before = test::readAll(target);
        const QDir folder = QFileInfo(target).dir();
        const QStringList filesBefore = folder.entryList(QDir::Files | QDir::Hidden);
        const std::optional<QString> result = test::runWithFileSizeLimit(64, [&] { return c.write(target); });
        ASSERT_TRUE(result.has_value());
        EXPECT_TRUE(result->contains(c.expected)) << result->toStdString();
        EXPECT_EQ(test::readAll(target), before);
        EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden), filesBefore);
    }
}
#endif
