#pragma once
// The Variables page's export: semicolon-separated lines, every field in
// double quotes, CR LF after every line, UTF-8 without a byte-order mark.

#include "inspect/label_rows.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace strovex {

// The header line, then one line per row in the given order: Name, Type,
// Order ("N/A" for -1), Default Value, Length. A double quote inside a field
// is doubled so that every field stays one field for a CSV reader.
QByteArray VariablesExportBytes(const std::vector<const TVariableRow *> &rows);

// Writes the export to `path` in one go, replacing a file of that name.
// Throws FileError when the file cannot be written; the target stays as it was.
void ExportVariables(const QString &path, const std::vector<const TVariableRow *> &rows);

} // namespace strovex
