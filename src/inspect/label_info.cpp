#include "inspect/label_info.h"

#include "inspect/comma_text.h"
#include "inspect/measure.h"
#include "platform/printers.h"

#include <exception>

namespace strovex {
namespace {

template<class Read>
QString tolerant(Read read)
{
    try {
        return read();
    } catch (const std::exception &) {
        return {};
    }
}

} // namespace

QString GetPrinterDriverName(const QString &printerName) noexcept
{
    if (printerName.isEmpty())
        return {};
    return printers().driverName(printerName);
}

QString ReadPrintSpeed(const IQuillmark &label)
{
    return tolerant([&] { return label.GetPrinterSetting(QStringLiteral("PRINTSPEED")); });
}

QString ReadSpeedUnit(const IQuillmark &label)
{
    return tolerant([&] { return label.GetSpeedUnit(label.PrinterName()); });
}

QString ReadColumnOffset(const IQuillmark &label)
{
    return tolerant([&] { return label.Settings().ColumnOffset(); });
}

QString ReadRowOffset(const IQuillmark &label)
{
    return tolerant([&] { return label.Settings().RowOffset(); });
}

QString ReadFormName(const IQuillmark &label)
{
    return tolerant([&] { return label.FormName(); });
}

QString UnitName(const IQuillmark &label)
{
    return tolerant([&] { return UnitNameText(label.Settings().Unit()); });
}

bool DarknessNotAvailable(const QString &darknessValues)
{
    // Split and joined again, so only one quoted item survives as "Not Available" in quotes.
    return joinCommaText(splitCommaText(darknessValues)) == QStringLiteral("\"Not Available\"");
}

QString ReadDarkness(const IQuillmark &label)
{
    if (DarknessNotAvailable(label.GetDarknessValues(label.PrinterName())))
        return QStringLiteral("N/A");
    return tolerant([&] { return label.GetPrinterSetting(QStringLiteral("PRINTDARKNESS")); });
}

void ReadLabelInfo(const IQuillmark &label, LabelInfoTexts &texts)
{
    texts.Name = label.FileName();
    texts.Title = label.Settings().Title();
    texts.Printer = label.PrinterName();
    texts.Driver = GetPrinterDriverName(label.PrinterName());
    texts.PrinterPort = label.PrinterPort();
    texts.Version = QString::number(label.Version());
    texts.Speed = ReadPrintSpeed(label);
    texts.SpeedUnit = ReadSpeedUnit(label);
    texts.Darkness = ReadDarkness(label);
    texts.Width = label.Settings().Width();
    texts.Length = label.Settings().Length();
    texts.ColumnOffset = ReadColumnOffset(label);
    texts.RowOffset = ReadRowOffset(label);
    texts.FormName = ReadFormName(label);
    const QString unit = UnitName(label);
    texts.OriginalPrinter = label.OriginalPrinter();
    texts.Unit = unit;
}

std::vector<LabelInfoField> LabelInfoFields(const LabelInfoTexts &t)
{
    return {
        {QStringLiteral("&Name:"), t.Name, {}},
        {QStringLiteral("&Title:"), t.Title, {}},
        {QStringLiteral("&Author:"), t.Author, {}},
        {QStringLiteral("&Version:"), t.Version, {}},
        {QStringLiteral("&Printer:"), t.Printer, {}},
        {QStringLiteral("&Driver:"), t.Driver, {}},
        {QStringLiteral("P&ort:"), t.PrinterPort, {}},
        {QStringLiteral("&Original printer:"), t.OriginalPrinter, {}},
        {QStringLiteral("&Form:"), t.FormName, {}},
        {QStringLiteral("&Length:"), t.Length, t.Unit},
        {QStringLiteral("&Width:"), t.Width, t.Unit},
        {QStringLiteral("&Speed:"), t.Speed, t.SpeedUnit},
        {QStringLiteral("&Darkness:"), t.Darkness, {}},
        {QStringLiteral("&Column offset:"), t.ColumnOffset, t.Unit},
        {QStringLiteral("&Row offset:"), t.RowOffset, t.Unit},
    };
}

} // namespace strovex
