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

QString ReadSpeedUnit(const IQuillmark &label, const QString &printerName)
{
    return tolerant([&] { return label.GetSpeedUnit(printerName); });
}

QString ReadColumnOffset(const ILabelSettings &settings)
{
    return tolerant([&] { return settings.ColumnOffset(); });
}

QString ReadRowOffset(const ILabelSettings &settings)
{
    return tolerant([&] { return settings.RowOffset(); });
}

QString ReadFormName(const IQuillmark &label)
{
    return tolerant([&] { return label.FormName(); });
}

bool DarknessNotAvailable(const QString &darknessValues)
{
    // Split and joined again, so only one quoted item survives as "Not Available" in quotes.
    return joinCommaText(splitCommaText(darknessValues)) == QStringLiteral("\"Not Available\"");
}

QString ReadDarkness(const IQuillmark &label, const QString &printerName)
{
    if (DarknessNotAvailable(label.GetDarknessValues(printerName)))
        return QStringLiteral("N/A");
    return tolerant([&] { return label.GetPrinterSetting(QStringLiteral("PRINTDARKNESS")); });
}

void ReadLabelInfo(const IQuillmark &label, LabelInfoTexts &texts)
{
    // The settings object and the printer name are read once and shared by
    // the fields that show them.
    texts.Name = label.FileName();
    const ILabelSettings settings = label.Settings();
    texts.Title = settings.Title();
    const QString printerName = label.PrinterName();
    texts.Printer = printerName;
    texts.Driver = GetPrinterDriverName(printerName);
    texts.PrinterPort = label.PrinterPort();
    texts.Version = QString::number(label.Version());
    texts.Speed = ReadPrintSpeed(label);
    texts.SpeedUnit = ReadSpeedUnit(label, printerName);
    texts.Darkness = ReadDarkness(label, printerName);
    texts.Width = settings.Width();
    texts.Length = settings.Length();
    texts.ColumnOffset = ReadColumnOffset(settings);
    texts.RowOffset = ReadRowOffset(settings);
    texts.FormName = ReadFormName(label);
    try {
        texts.UnitCode = settings.Unit();
    } catch (const std::exception &) {
        // the unit captions stay empty
    }
    texts.OriginalPrinter = label.OriginalPrinter();
    if (texts.UnitCode)
        texts.Unit = UnitNameText(*texts.UnitCode);
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
