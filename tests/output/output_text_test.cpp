// The pure pieces of the generators: escaping, identifiers, file names, encodings.

#include "output/command_files.h"
#include "output/graphs.h"
#include "output/sample_value.h"
#include "output/save_file.h"
#include "output/xml_text.h"
#include "support/temp_dir.h"

#include <QFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

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
    test::TempDir dir;
    // A read-only target is refused and left exactly as it was.
    const QString locked = dir.write(QStringLiteral("locked.job"), "keep");
    QFile::setPermissions(locked, QFile::ReadOwner);
    if (QFile(locked).open(QIODevice::WriteOnly))
        GTEST_SKIP() << "running with rights that ignore file permissions";
    EXPECT_THROW(writeFileAtomically(locked, "lost"), FileError);
    EXPECT_EQ(test::readAll(locked), QByteArray("keep"));
}
