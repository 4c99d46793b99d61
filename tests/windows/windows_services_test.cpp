#include "app/settings_simple.h"
#include "platform/files.h"
#include "platform/platform_info.h"
#include "platform/printers.h"
#include "platform/settings_store_file.h"
#include "sim/sim_designer.h"
#include "support/temp_dir.h"
#include "tools/extract_scripts.h"
#include "tools/find_files.h"
#include "tools/report_sink.h"

#include <QDir>
#include <QFile>
#include <QUuid>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

namespace strovex {
namespace {

class TRoundTrip : public TSimpleSettings {
    Q_OBJECT
    Q_PROPERTY(int Count MEMBER Count)
    Q_PROPERTY(bool Enabled MEMBER Enabled)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(QString Caption MEMBER Caption)
public:
    int Count = 7;
    bool Enabled = true;
    double Ratio = 0.5;
    QString Caption = QStringLiteral("none");
};

// A key of its own below HKEY_CURRENT_USER, removed afterwards.
class RegistrySettings : public ::testing::Test {
protected:
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t *>(key.utf16()));
    }
    DWORD type(const wchar_t *name)
    {
        DWORD kind = 0;
        RegGetValueW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t *>(key.utf16()), name, RRF_RT_ANY, &kind,
                     nullptr, nullptr);
        return kind;
    }
    const QString key = QStringLiteral("Software\\StrovexTest\\") + QUuid::createUuid().toString();
};

TEST_F(RegistrySettings, ValuesRoundTripThroughTheRegistryInTheirTypes)
{
    {
        auto settings = TSimpleSettings::Create<TRoundTrip>(key, true);
        settings->Count = -3;
        settings->Enabled = false;
        settings->Ratio = 1.25;
        settings->Caption = QStringLiteral("Ц\u00e9 日");
    } // saved on destruction
    EXPECT_EQ(type(L"Count"), DWORD(REG_DWORD));
    EXPECT_EQ(type(L"Enabled"), DWORD(REG_DWORD));
    EXPECT_EQ(type(L"Ratio"), DWORD(REG_BINARY));
    EXPECT_EQ(type(L"Caption"), DWORD(REG_SZ));

    auto again = TSimpleSettings::Create<TRoundTrip>(key, true);
    EXPECT_EQ(again->Count, -3);
    EXPECT_FALSE(again->Enabled);
    EXPECT_EQ(again->Ratio, 1.25);
    EXPECT_EQ(again->Caption, QStringLiteral("Ц\u00e9 日"));
}

bool setAttributes(const QString &path, DWORD attributes)
{
    const QString native = QDir::toNativeSeparators(path);
    return SetFileAttributesW(reinterpret_cast<const wchar_t *>(native.utf16()), attributes) != 0;
}

TEST(WindowsFindFiles, SkipsHiddenAndSystemFoldersButFindsHiddenFiles)
{
    test::TempDir dir;
    for (const char *name : {"a/1.lbl", "a/hidden/2.lbl", "a/system/3.lbl", "a/both/4.lbl", "a/h.lbl", "a/sub/5.LBL"})
        dir.write(QString::fromUtf8(name), "{}");
    ASSERT_TRUE(setAttributes(dir.file(QStringLiteral("a/hidden")), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(setAttributes(dir.file(QStringLiteral("a/system")), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(setAttributes(dir.file(QStringLiteral("a/both")), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(setAttributes(dir.file(QStringLiteral("a/h.lbl")), FILE_ATTRIBUTE_HIDDEN));

    QStringList found;
    FindFiles(QStringLiteral("*.lbl"), QDir::toNativeSeparators(dir.file(QStringLiteral("a"))), true, found);
    QStringList names;
    for (const QString &path : found)
        names << QDir(dir.file(QStringLiteral("a"))).relativeFilePath(QDir::fromNativeSeparators(path));
    EXPECT_EQ(names, (QStringList{QStringLiteral("1.lbl"), QStringLiteral("h.lbl"), QStringLiteral("sub/5.LBL")}));
}

// Script files as the script host reads them: the ANSI code page where it holds
// every character, else UTF-16 LE with a byte-order mark; never a "?" instead.
TEST(WindowsExtractScripts, WritesAnsiWhereItCanAndUtf16WhereItCannot)
{
    const wchar_t wideText[] = L"\u0426\u0435\u043d\u0430 \u65e5";
    BOOL replaced = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wideText, -1, nullptr, 0, nullptr, &replaced);
    if (!replaced)
        GTEST_SKIP() << "the ANSI code page " << GetACP() << " holds every character";

    test::TempDir dir;
    const QString label = dir.write(QStringLiteral("Box.lbl"), R"({"SimulatedLabel": 1, "Functions": [
        {"Name": "Plain", "Kind": 9, "KindName": "QUILLScript", "Script": "#x = \"abc\""},
        {"Name": "Wide", "Kind": 9, "KindName": "QUILLScript", "Script": "#x = \"Цена 日\""}]})");
    {
        const QuillApp app(sim::createApplication());
        LinesReport report;
        runExtractScripts({label}, app, QString(), report);
    }
    EXPECT_EQ(test::readAll(dir.file(QStringLiteral("Box.Plain.vbs"))), QByteArray("x = \"abc\"\r\n"));

    const QString wide = QStringLiteral("x = \"Цена 日\"\r\n");
    QByteArray expected("\xFF\xFE", 2);
    expected.append(reinterpret_cast<const char *>(wide.utf16()), wide.size() * 2);
    EXPECT_EQ(test::readAll(dir.file(QStringLiteral("Box.Wide.vbs"))), expected);
    EXPECT_EQ(sim::liveObjects(), 0);
}

TEST(WindowsExtractScripts, FunctionNamesWindowsRefusesInFileNamesWriteNothing)
{
    test::TempDir dir;
    const QString label = dir.write(QStringLiteral("Box.lbl"), R"({"SimulatedLabel": 1, "Functions": [
        {"Name": "a:b", "Kind": 9, "KindName": "QUILLScript", "Script": "#stream"}]})");
    const QString named = dir.file(QStringLiteral("Box.a:b.vbs"));
    {
        const QuillApp app(sim::createApplication());
        LinesReport report;
        try {
            runExtractScripts({label}, app, QString(), report);
            ADD_FAILURE() << "the run should have ended";
        } catch (const FileError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("Cannot create file \"%1\". The function name is not a valid file name.")
                                       .arg(named));
        }
    }
    // Nothing beside the label, not even a file "Box.a" holding the script in a stream.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Box.lbl")});
    EXPECT_EQ(sim::liveObjects(), 0);
}

TEST(WindowsVersion, ComesFromTheProgramFilesVersionResource)
{
    EXPECT_EQ(versionText(productVersion(), buildNumber()),
              QStringLiteral(STROVEX_VERSION " (build ") + QString::number(STROVEX_BUILD_NUMBER) + u')');
}

} // namespace
} // namespace strovex

#include "windows_services_test.moc"
