#pragma once
// Every file Strovex writes is built in memory first and then written here in
// one go, through a temporary file that replaces the target only when all of
// it is on disk: a failure never leaves half a file.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace strovex {

// A file that could not be written. what() is the message as UTF-8.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString &message);
    QString message() const { return QString::fromUtf8(what()); }
};

// Writes `bytes` to `path`, replacing a file of that name without asking.
// Throws FileError "Cannot create file \"<path>\". <reason>" when the file
// cannot be created or completed; the target is then left as it was.
void writeFileAtomically(const QString &path, const QByteArray &bytes);

// Encodings of generated text files. Every line, the last one included, ends
// with CR LF.
QByteArray utf16LeWithBom(const QStringList &lines); // FF FE, then UTF-16 LE
QByteArray utf8Lines(const QStringList &lines);      // no byte-order mark

} // namespace strovex
