#include "inspect/label_info.h"

#include "platform/printers.h"
#include "sim_label.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

namespace {

// A spooler that knows one printer.
class OnePrinter : public Printers {
public:
    QStringList installed() override { return {QStringLiteral("Zebra ZT410")}; }
    QString defaultPrinter() override { return {}; }
    QString driverName(const QString &printer) noexcept override
    {
        asked << printer;
        return printer == QStringLiteral("Zebra ZT410") ? QStringLiteral("ZDesigner ZT410-203dpi ZPL") : QString();
    }
    QStringList asked;
};

class LabelInfoTest : public ::testing::Test {
protected:
    void SetUp() override { setPrinters(spooler); }
    void TearDown() override { setPrinters(nullptr); }

    std::shared_ptr<OnePrinter> spooler = std::make_shared<OnePrinter>();
    SimLabels labels;
};

QJsonObject withPrinterSettings(const char *darknessValues, bool withDarkness)
{
    QJsonObject settings{{QStringLiteral("PRINTSPEED"), QStringLiteral("4")}};
    if (withDarkness)
        settings.insert(QStringLiteral("PRINTDARKNESS"), QStringLiteral("15"));
    return {{QStringLiteral("DarknessValues"), QString::fromUtf8(darknessValues)},
            {QStringLiteral("PrinterSettings"), settings}};
}

} // namespace

TEST_F(LabelInfoTest, FillsEveryField)
{
    const IQuillmark label = labels.open("label_info.lbl");
    LabelInfoTexts t;
    ReadLabelInfo(label, t);
    EXPECT_EQ(t.Name, labels.lastPath());
    EXPECT_EQ(t.Title, QStringLiteral("Pallet label"));
    EXPECT_EQ(t.Author, QString());
    EXPECT_EQ(t.Version, QStringLiteral("6"));
    EXPECT_EQ(t.Printer, QStringLiteral("Zebra ZT410"));
    EXPECT_EQ(t.Driver, QStringLiteral("ZDesigner ZT410-203dpi ZPL"));
    EXPECT_EQ(t.PrinterPort, QStringLiteral("USB001"));
    EXPECT_EQ(t.OriginalPrinter, QStringLiteral("Zebra 105SL"));
    EXPECT_EQ(t.FormName, QStringLiteral("Label 100x50"));
    EXPECT_EQ(t.Width, QStringLiteral("100000")); // as the designer gives it, no arithmetic
    EXPECT_EQ(t.Length, QStringLiteral("50000"));
    EXPECT_EQ(t.Speed, QStringLiteral("4"));
    EXPECT_EQ(t.SpeedUnit, QStringLiteral("ips"));
    EXPECT_EQ(t.Darkness, QStringLiteral("15"));
    EXPECT_EQ(t.ColumnOffset, QStringLiteral("200"));
    EXPECT_EQ(t.RowOffset, QStringLiteral("300"));
    EXPECT_EQ(t.Unit, QStringLiteral("mm"));
}

TEST_F(LabelInfoTest, UnknownPrinterGivesEmptyDriver)
{
    const IQuillmark label = labels.open("label_info.lbl", {{QStringLiteral("PrinterName"), QStringLiteral("Nowhere")}});
    LabelInfoTexts t;
    ReadLabelInfo(label, t);
    EXPECT_EQ(t.Driver, QString());
    EXPECT_EQ(t.PrinterPort, QStringLiteral("USB001"));
    EXPECT_EQ(GetPrinterDriverName(QString()), QString());
    EXPECT_EQ(spooler->asked, QStringList{QStringLiteral("Nowhere")}); // an empty name never reaches the spooler
}

TEST_F(LabelInfoTest, TolerantReadersGiveEmptyTexts)
{
    const IQuillmark label = labels.open(
        "label_info.lbl", raising({{"FormName", "no form"}, {"GetPrinterSetting", "no setting"}, {"GetSpeedUnit", "x"},
                                   {"Settings.ColumnOffset", "x"}, {"Settings.RowOffset", "x"}, {"Settings.Unit", "x"}}));
    LabelInfoTexts t;
    ASSERT_NO_THROW(ReadLabelInfo(label, t));
    EXPECT_EQ(t.FormName, QString());
    EXPECT_EQ(t.Speed, QString());
    EXPECT_EQ(t.SpeedUnit, QString());
    EXPECT_EQ(t.Darkness, QString()); // the final darkness read is tolerant too
    EXPECT_EQ(t.ColumnOffset, QString());
    EXPECT_EQ(t.RowOffset, QString());
    EXPECT_EQ(t.Unit, QString());
    // The load went on past every one of them.
    EXPECT_EQ(t.OriginalPrinter, QStringLiteral("Zebra 105SL"));
    EXPECT_EQ(t.Width, QStringLiteral("100000"));
}

TEST_F(LabelInfoTest, EscapingReaderEndsTheFillKeepingEarlierFields)
{
    const IQuillmark label = labels.open("label_info.lbl", raising({{"Settings.Title", "Title not readable"}}));
    LabelInfoTexts t;
    try {
        ReadLabelInfo(label, t);
        FAIL() << "the title failure must escape";
    } catch (const AutomationError &error) {
        EXPECT_EQ(toQString(error.text()), QStringLiteral("Title not readable"));
    }
    EXPECT_EQ(t.Name, labels.lastPath());
    EXPECT_EQ(t.Title, QString());
    EXPECT_EQ(t.Printer, QString());
    EXPECT_EQ(t.Unit, QString());
}

TEST_F(LabelInfoTest, OtherEscapingReaders)
{
    for (const char *member : {"PrinterPort", "Version", "GetDarknessValues", "Settings.Width", "Settings.Length",
                               "OriginalPrinter"}) {
        const IQuillmark label = labels.open("label_info.lbl", raising({{member, "refused"}}));
        LabelInfoTexts t;
        EXPECT_THROW(ReadLabelInfo(label, t), AutomationError) << member;
        // The unit captions are set last of all.
        EXPECT_EQ(t.Unit, QString()) << member;
    }
}

TEST_F(LabelInfoTest, Darkness)
{
    const struct {
        const char *values;
        bool darknessSetting;
        const char *expected;
    } cases[] = {
        {"\"Not Available\"", true, "N/A"},   // no darkness setting is read then
        {"  \"Not Available\"", false, "N/A"},
        {"Not Available", true, "15"},        // unquoted: two items
        {"\"Not Available\",\"Not Available\"", true, "15"},
        {"\"not available\"", true, "15"},    // case-sensitive
        {"0,1,2", true, "15"},
        {"", true, "15"},
        {"0,1,2", false, ""},                 // the final read fails
    };
    for (const auto &c : cases) {
        const IQuillmark label = labels.open("label_info.lbl", withPrinterSettings(c.values, c.darknessSetting));
        EXPECT_EQ(ReadDarkness(label, label.PrinterName()), QString::fromUtf8(c.expected)) << c.values;
    }
}

TEST(Darkness, NotAvailableNeedsExactlyOneQuotedItem)
{
    EXPECT_TRUE(DarknessNotAvailable(QStringLiteral("\"Not Available\"")));
    EXPECT_FALSE(DarknessNotAvailable(QStringLiteral("\"Not Available\",")));
    EXPECT_FALSE(DarknessNotAvailable(QStringLiteral("Not_Available")));
}
