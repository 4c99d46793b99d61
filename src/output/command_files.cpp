#include "output/command_files.h"

#include "output/sample_value.h"
#include "output/text_encodings.h"
#include "output/variable_record.h"
#include "output/xml_text.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <optional>

namespace strovex {
namespace {

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

QString asciiLower(QString text)
{
    for (QChar &c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return text;
}

// Walks the prompted variables of `variables` in list order.
template<class F>
void forEachPromptVariable(const IVariableList &variables, F &&visit)
{
    const int count = variables.Count();
    for (int index = 1; index <= count; ++index) {
        const IVar variable = variables.Item(index);
        if (variable.isNull() || !isPromptVariable(variable))
            continue;
        visit(variable);
    }
}

// The XML command file refuses a character XML cannot carry rather than
// replacing it: the designer would print other data than the label holds
// (a GS1 group separator, say). `what` names the text in the message.
QString xmlCommandText(QString text, const QString &what)
{
    if (const std::optional<char32_t> c = firstCharacterXmlCannotCarry(text))
        throw FileError(QStringLiteral("The XML command file cannot be written: %1 holds the character %2, which XML "
                                       "cannot carry. Write the command file in the JOB or CSV format instead.")
                            .arg(what, characterName(*c)));
    return text;
}

} // namespace

QStringList BuildJobFile(const LabelHandles &view)
{
    QStringList lines;
    lines << QStringLiteral("LABEL ") + quoted(view.FLabel.FileName());
    lines << QStringLiteral("PRINTER ") + quoted(view.FLabel.PrinterName());
    forEachPromptVariable(view.FVariables, [&lines](const IVar &variable) {
        const QString name = variable.Name();
        const QString value = MakeSampleValue(variable);
        lines << QStringLiteral("SET ") + (name.contains(u' ') ? quoted(name) : name)
                     + QStringLiteral(" = ") + quoted(value);
    });
    lines << QStringLiteral("PRINT \"1\"");
    return lines;
}

QStringList BuildXmlCommandFile(const LabelHandles &view)
{
    const QString reference = xmlCommandText(view.FLabel.FileName(), QStringLiteral("the label's file name"));
    const QString printer = xmlCommandText(view.FLabel.PrinterName(), QStringLiteral("the printer name"));
    QStringList lines;
    lines << QStringLiteral("<quill_commands quit=\"false\">");
    lines << QStringLiteral("  <label name=\"%1\" close=\"true\">").arg(xmlAttributeText(reference));
    lines << QStringLiteral("    <print_job printer=\"%1\" quantity=\"1\" skip=\"0\" identical_copies=\"1\" job_name=\"%2\">")
                 .arg(xmlAttributeText(printer), xmlAttributeText(fileNamePart(reference)));
    forEachPromptVariable(view.FVariables, [&lines](const IVar &variable) {
        const QString name = xmlCommandText(variable.Name(), QStringLiteral("a variable name"));
        const QString value = xmlCommandText(MakeSampleValue(variable), QStringLiteral("the value of variable \"%1\"").arg(name));
        lines << QStringLiteral("      <variable name=\"") + xmlAttributeText(name) + QStringLiteral("\">")
                     + xmlContentText(value) + QStringLiteral("</variable>");
    });
    lines << QStringLiteral("    </print_job>");
    lines << QStringLiteral("  </label>");
    lines << QStringLiteral("</quill_commands>");
    return lines;
}

QStringList BuildCsvCommandFile(const LabelHandles &view)
{
    const QString reference = view.FLabel.FileName();
    const QString printer = view.FLabel.PrinterName();

    // One walk feeds both lines.
    QString header = QStringLiteral("@Label, @Printer, @Quantity, @Skip, @IdenticalCopies, @NumberOfSets, @Port");
    QString data = quoted(reference) + QStringLiteral(", ") + quoted(printer) + QStringLiteral(", 1, 0, 1, 1, ");
    forEachPromptVariable(view.FVariables, [&header, &data](const IVar &variable) {
        header += QStringLiteral(", ") + quoted(variable.Name());
        data += QStringLiteral(", ") + quoted(MakeSampleValue(variable));
    });
    return {header, data};
}

QString DataFileShortName(const QString &labelReference)
{
    QString name = fileBaseName(labelReference).toUpper();
    if (name.size() > 8)
        name.truncate(name[7].isHighSurrogate() ? 7 : 8);
    return name.leftJustified(8, u' ');
}

QStringList BuildDataFile(const LabelHandles &view)
{
    TVarList records;
    const QString shortName = DataFileShortName(view.FLabel.FileName());
    const QString first = QStringLiteral("~~") + shortName + shortName + QStringLiteral("1234567890");

    QString second = QStringLiteral("..JPH    ")
                     + QStringLiteral("0000")
                     + QString(20, u' ')
                     + QStringLiteral("1234567001")
                     + QStringLiteral("001")
                     + QStringLiteral("591556-2BT152V65    ");
    CollectLabelVariables(records, view.FLabel);
    for (int i = 0; i < records.Count(); ++i) {
        const TVariable *record = records.Get(i);
        if (record && record->Kind() == 1 && record->PromptMode() != 2)
            second += MakeSampleValue(record->DesignerLength(), record->DefaultValue(), record->InputFormat());
    }
    second += QStringLiteral("^^0000001");
    return {first, second};
}

void WriteJobFile(const LabelHandles &view, const QString &path)
{
    refuseLabelAsOutput(view.labelFiles, path);
    writeFileAtomically(path, utf16LeWithBom(BuildJobFile(view)));
}

void WriteXmlCommandFile(const LabelHandles &view, const QString &path)
{
    refuseLabelAsOutput(view.labelFiles, path);
    writeFileAtomically(path, utf16LeWithBom(BuildXmlCommandFile(view)));
}

void WriteCsvCommandFile(const LabelHandles &view, const QString &path)
{
    refuseLabelAsOutput(view.labelFiles, path);
    writeFileAtomically(path, utf16LeWithBom(BuildCsvCommandFile(view)));
}

void WriteDataFile(const LabelHandles &view, const QString &path)
{
    refuseLabelAsOutput(view.labelFiles, path);
    writeFileAtomically(path, utf16LeWithBom(BuildDataFile(view)));
}

CommandFileFormat CommandFileFormatFor(const QString &path)
{
    const QString extension = asciiLower(fileExtension(path));
    if (extension == QLatin1String(".xml"))
        return CommandFileFormat::Xml;
    if (extension == QLatin1String(".dat"))
        return CommandFileFormat::Data;
    if (extension == QLatin1String(".csv"))
        return CommandFileFormat::Csv;
    return CommandFileFormat::Job;
}

void WriteCommandFile(const LabelHandles &view, const QString &path)
{
    switch (CommandFileFormatFor(path)) {
    case CommandFileFormat::Xml:
        return WriteXmlCommandFile(view, path);
    case CommandFileFormat::Data:
        return WriteDataFile(view, path);
    case CommandFileFormat::Csv:
        return WriteCsvCommandFile(view, path);
    case CommandFileFormat::Job:
        return WriteJobFile(view, path);
    }
}

} // namespace strovex
