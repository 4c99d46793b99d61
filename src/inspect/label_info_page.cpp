#include "inspect/label_info_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <string_view>
#include <vector>

namespace strovex {
namespace {

struct Cell {
    const char *caption;
    const char *field;
    const char *unit; // objectName of the unit caption, or null
};

} // namespace

LabelInfoPage::LabelInfoPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ttbsLabelInfo"));
    // One line per row of the page; cells of a row stand side by side.
    const std::vector<std::vector<Cell>> rows = {
        {{"&Name:", "tedtName", nullptr}},
        {{"&Title:", "tedtTitle", nullptr}},
        {{"&Author:", "tedtAuthor", nullptr}, {"&Version:", "tedtVersion", nullptr}, {"Opened in:", "edtOpenTime", "lblMs"}},
        {{"&Printer:", "tedtPrinter", nullptr}},
        {{"&Driver:", "tedtDriver", nullptr}},
        {{"P&ort:", "tedtPrinterPort", nullptr}},
        {{"&Original printer:", "tedtOriginalPrinter", nullptr}},
        {{"&Form:", "tedtFormName", nullptr}},
        {{"&Length:", "tedtLength", "tlblLengthUnit"}, {"&Width:", "tedtWidth", "tlblWidthUnit"}},
        {{"&Speed:", "tedtSpeed", "tlblSpeedUnit"}, {"&Darkness:", "tedtDarkness", nullptr}},
        {{"&Column offset:", "tedtColumnOffset", "tlblColumOffUnit"}, {"&Row offset:", "tedtRowOffset", "tlblRowOffUnit"}},
    };

    auto *page = new QVBoxLayout(this);
    for (const auto &row : rows) {
        auto *line = new QHBoxLayout;
        for (const Cell &cell : row) {
            auto *edit = new QLineEdit(this);
            edit->setObjectName(QLatin1String(cell.field));
            edit->setReadOnly(true);
            QPalette palette = edit->palette();
            palette.setColor(QPalette::Base, palette.color(QPalette::Window));
            edit->setPalette(palette);
            auto *caption = new QLabel(QString::fromUtf8(cell.caption), this);
            caption->setBuddy(edit);

            auto *fieldLine = new QHBoxLayout;
            fieldLine->addWidget(edit, 1);
            if (cell.unit) {
                auto *unit = new QLabel(this);
                unit->setObjectName(QLatin1String(cell.unit));
                unit->setMinimumWidth(30);
                fieldLine->addWidget(unit);
            }
            auto *column = new QVBoxLayout;
            column->addWidget(caption);
            column->addLayout(fieldLine);
            line->addLayout(column, 1);
            if (std::string_view(cell.field) == "edtOpenTime") {
                caption->setObjectName(QStringLiteral("lblOpenedIn"));
                caption->setVisible(false);
                edit->setVisible(false);
                label("lblMs")->setText(QStringLiteral("ms"));
                label("lblMs")->setVisible(false);
            }
        }
        page->addLayout(line);
    }
    page->addStretch(1);
}

QLineEdit *LabelInfoPage::field(const char *name) const
{
    return findChild<QLineEdit *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

QLabel *LabelInfoPage::label(const char *name) const
{
    return findChild<QLabel *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

void LabelInfoPage::showTexts(const LabelInfoTexts &t)
{
    field("tedtName")->setText(t.Name);
    field("tedtTitle")->setText(t.Title);
    field("tedtAuthor")->setText(t.Author);
    field("tedtVersion")->setText(t.Version);
    field("tedtPrinter")->setText(t.Printer);
    field("tedtDriver")->setText(t.Driver);
    field("tedtPrinterPort")->setText(t.PrinterPort);
    field("tedtOriginalPrinter")->setText(t.OriginalPrinter);
    field("tedtFormName")->setText(t.FormName);
    field("tedtLength")->setText(t.Length);
    field("tedtWidth")->setText(t.Width);
    field("tedtSpeed")->setText(t.Speed);
    label("tlblSpeedUnit")->setText(t.SpeedUnit);
    field("tedtDarkness")->setText(t.Darkness);
    field("tedtColumnOffset")->setText(t.ColumnOffset);
    field("tedtRowOffset")->setText(t.RowOffset);
    for (const char *unit : {"tlblLengthUnit", "tlblWidthUnit", "tlblColumOffUnit", "tlblRowOffUnit"})
        label(unit)->setText(t.Unit);
}

void LabelInfoPage::setOpenTime(const QString &text)
{
    field("edtOpenTime")->setText(text);
}

void LabelInfoPage::revealOpenTime()
{
    label("lblOpenedIn")->setVisible(true);
    field("edtOpenTime")->setVisible(true);
    label("lblMs")->setVisible(true);
}

bool LabelInfoPage::openTimeShown() const
{
    return !field("edtOpenTime")->isHidden();
}

} // namespace strovex
