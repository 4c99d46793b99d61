#pragma once
// The Label Info page's texts, read from an opened label.

#include "automation/designer.h"

#include <QString>

#include <optional>
#include <vector>

namespace strovex {

struct LabelInfoTexts {
    QString Name;
    QString Title;
    QString Author; // nothing fills it
    QString Version;
    QString Printer;
    QString Driver;
    QString PrinterPort;
    QString OriginalPrinter;
    QString FormName;
    QString Length;
    QString Width;
    QString Speed;
    QString SpeedUnit;
    QString Darkness;
    QString ColumnOffset;
    QString RowOffset;
    QString Unit; // the caption of length, width and both offsets
    // The unit's code when it was read, for the Objects page's positions.
    std::optional<int> UnitCode;

    bool operator==(const LabelInfoTexts &) const = default;
};

// One field of the page as it is shown: the caption above it (as the page
// writes it, mnemonic '&' and colon included), its text, and the unit caption
// beside it (empty where the field has none, or the unit is unknown).
struct LabelInfoField {
    QString caption;
    QString text;
    QString unit;
};
// The page's fields top to bottom, left to right; the open time, hidden until
// revealed, is not among them.
std::vector<LabelInfoField> LabelInfoFields(const LabelInfoTexts &texts);

// Fills `texts` from `label` field by field in the page's reading order. The
// tolerant readers below give empty texts on failure; any other failing read
// throws AutomationError and leaves the fields filled so far in `texts`.
void ReadLabelInfo(const IQuillmark &label, LabelInfoTexts &texts);

// The driver of the named printer from the platform's spooler; empty for an
// unknown printer, an empty name or no spooler. Never throws.
QString GetPrinterDriverName(const QString &printerName) noexcept;

// Tolerant readers: any error gives an empty text.
QString ReadPrintSpeed(const IQuillmark &label);
QString ReadSpeedUnit(const IQuillmark &label, const QString &printerName);
QString ReadColumnOffset(const ILabelSettings &settings);
QString ReadRowOffset(const ILabelSettings &settings);
QString ReadFormName(const IQuillmark &label);

// "N/A" when the printer's darkness values are exactly one item reading
// Not Available; otherwise the printer's darkness setting, or empty when that
// read fails. A failure reading the darkness values themselves throws.
QString ReadDarkness(const IQuillmark &label, const QString &printerName);
// The pure test of ReadDarkness on the darkness-values text.
bool DarknessNotAvailable(const QString &darknessValues);

} // namespace strovex
