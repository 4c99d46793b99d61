#pragma once
// How paths are spelt here: which characters separate folders, how a folder
// and a name are joined, and which part of a path is the file's name.

#include <QString>
#include <QStringView>

namespace strovex {

// '/', and on Windows also '\'.
bool isPathSeparator(QChar c);

// The separator to join names to `folder` with: the one the folder itself
// spells last, so "C:/labels" gives "C:/labels/a.lbl", not a mixed path; the
// native one when it spells none.
QChar separatorOf(QStringView folder);

// `folder` ending in a separator (separatorOf()), unless it ends in one already.
QString withTrailingSeparator(QString folder);

// The text after the last path separator ('/', and on Windows also '\' and ':').
QString fileNamePart(const QString &path);
// The extension of the file-name part from its last dot, dot included; empty
// when the name has no dot.
QString fileExtension(const QString &path);
// The file-name part without its extension.
QString fileBaseName(const QString &path);

// Whether `name` can be one file's name in any folder here: not "." or "..",
// no separator ('/' or '\\' on every system) or NUL, and on Windows none of
// the characters it refuses in names (":" would reach a hidden stream).
bool isPlainFileName(QStringView name);

// A key under which two spellings of one path meet, also two names that
// become the same bytes on disk (letter case too, on Windows).
QString fileNameKey(const QString &path);

} // namespace strovex
