#pragma once
// Dependency graphs of a label: its variables, objects, functions and
// databases and what links them. DOT is UTF-8 (what Graphviz reads); DGML is
// UTF-16 LE with the byte-order mark. Both end every line with CR LF.
//
// Each writer builds the whole content first and writes it in one go: an
// AutomationError while the content is built leaves the file untouched; a
// file that cannot be created throws FileError.

#include "output/label_handles.h"

#include <QString>
#include <QStringList>

namespace strovex {

inline constexpr char16_t kDgmlNamespace[] = u"http://schemas.microsoft.com/vs/2009/dgml";

// Identifier material: removes space, '-', '/', '\', '.' and '&', and turns
// Č č Š š Ž ž Đ đ into C c S s Z z Dz dz. Everything else stays.
QString MakeDotIdentifier(const QString &text);

// `id` as DOT writes it: bare when it is a plain identifier (letter, '_' or
// non-ASCII first, then those or digits; not a keyword in any case),
// otherwise in double quotes with '"' and '\' escaped and NUL as U+FFFD
// (a lone surrogate always quotes). Empty stays empty.
QString dotId(const QString &id);

// The graph name: the label file's name part without its extension.
QString GraphName(const QString &labelReference);

QStringList BuildDotGraph(const LabelHandles &view);
QStringList BuildDgmlGraph(const LabelHandles &view);

void WriteDotGraph(const LabelHandles &view, const QString &path);
void WriteDgmlGraph(const LabelHandles &view, const QString &path);

// ".dot" exactly (letter case counts) selects DOT; anything else DGML.
bool IsDotGraphPath(const QString &path);

} // namespace strovex
