#pragma once
// Command files that make the designer print a label once with sample data:
// JOB, XML command file, CSV command file and the fixed-width data file.
// All are UTF-16 LE with the byte-order mark, CR LF after every line.
//
// Each writer builds the whole content first and writes it in one go: an
// AutomationError while the content is built leaves the file untouched; a
// file that cannot be created throws FileError.

#include "output/label_handles.h"

#include <QString>
#include <QStringList>

namespace strovex {

// The lines of each format, read from the label and its variable list.
QStringList BuildJobFile(const LabelHandles &view);
QStringList BuildXmlCommandFile(const LabelHandles &view);
QStringList BuildCsvCommandFile(const LabelHandles &view);
QStringList BuildDataFile(const LabelHandles &view);

void WriteJobFile(const LabelHandles &view, const QString &path);
void WriteXmlCommandFile(const LabelHandles &view, const QString &path);
void WriteCsvCommandFile(const LabelHandles &view, const QString &path);
void WriteDataFile(const LabelHandles &view, const QString &path);

enum class CommandFileFormat { Job, Xml, Csv, Data };
// By the extension of the file name (from its last dot), ASCII letters in any
// case: ".xml", ".csv", ".dat"; anything else, none included, is JOB.
CommandFileFormat CommandFileFormatFor(const QString &path);

// Chooses the writer by CommandFileFormatFor and runs it.
void WriteCommandFile(const LabelHandles &view, const QString &path);

// The DAT file's short name: the label's file-name part without extension,
// upper-cased, cut or padded with spaces to 8 characters.
QString DataFileShortName(const QString &labelReference);

} // namespace strovex
