#include "inspect/variables_export.h"

#include "output/text_encodings.h"
#include "platform/files.h"

#include <QStringList>

namespace strovex {
namespace {

QString quoted(QString field)
{
    field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

} // namespace

QByteArray VariablesExportBytes(const std::vector<const TVariableRow *> &rows)
{
    QStringList lines;
    lines.reserve(qsizetype(rows.size()) + 1);
    lines << QStringLiteral("\"Name\";\"Type\";\"Order\";\"Default Value\";\"Length\"");
    for (const TVariableRow *row : rows) {
        lines << QStringList{quoted(row->Name), quoted(row->Type), quoted(OrderText(row->Order)),
                             quoted(row->DefaultValue), quoted(QString::number(row->Length))}
                     .join(QLatin1Char(';'));
    }
    return utf8Lines(lines);
}

void ExportVariables(const QString &path, const std::vector<const TVariableRow *> &rows)
{
    writeFileAtomically(path, VariablesExportBytes(rows));
}

} // namespace strovex
