#include "inspect/label_contents.h"

#include "inspect/label_lists.h"

namespace strovex {

QString labelPartName(LabelPart part)
{
    switch (part) {
    case LabelPart::LabelInfo: return QStringLiteral("Label Info");
    case LabelPart::Objects: return QStringLiteral("Objects");
    case LabelPart::Variables: return QStringLiteral("Variables");
    case LabelPart::Databases: return QStringLiteral("Databases");
    case LabelPart::Functions: return QStringLiteral("Functions");
    case LabelPart::Fonts: return QStringLiteral("Fonts");
    case LabelPart::DependentFiles: return QStringLiteral("Dependant Files");
    }
    return {};
}

void readLabelContents(const LabelHandles &label, LabelContents &c, const std::function<void(LabelPart)> &onPart)
{
    const auto begin = [&onPart](LabelPart part) {
        if (onPart)
            onPart(part);
    };
    // Read with the lists, before the first page, as a load always has.
    const IVariableList otherVariables = label.FLabel.OtherVariables();

    begin(LabelPart::LabelInfo);
    ReadLabelInfo(label.FLabel, c.info);
    QStringList fontNames;
    begin(LabelPart::Objects);
    FillObjectRows(label.FLabel, label.FObjects, c.objects, &fontNames, c.info.UnitCode);
    begin(LabelPart::Variables);
    FillVariableRows(label.FVariables, otherVariables, c.variables);
    begin(LabelPart::Databases);
    FillDatabaseRows(label.FDatabases, c.databases);
    begin(LabelPart::Functions);
    FillFunctionRows(label.FFunctions, c.functions);
    begin(LabelPart::Fonts);
    c.fonts = collectFonts(fontNames);
    begin(LabelPart::DependentFiles);
    c.files = collectDependentFiles(label.FLabel);
}

LabelContents readLabelContents(const LabelHandles &label)
{
    LabelContents contents;
    readLabelContents(label, contents);
    return contents;
}

} // namespace strovex
