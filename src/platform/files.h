#pragma once
// Every file Strovex writes is built in memory first and then written here in
// one go, through a temporary file that replaces the target only when all of
// it is on disk: a failure never leaves half a file.

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>

namespace strovex {

// A file that could not be written. what() is the message as UTF-8;
// message() is the whole text, also where it holds a NUL.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString &message);
    const QString &message() const { return message_; }

private:
    QString message_;
};

// What to do when the target name is a symbolic link.
enum class LinkAtTarget {
    Follow, // write the file the link leads to
    Refuse, // fail: a file written into a shared folder never lands elsewhere
};

// Writes `bytes` to `path`, replacing a file of that name without asking.
// Returns nothing on success, else the reason; the target is then left byte
// for byte as it was (where it could not be, the reason says so in plain
// words).
//
// - A target that is not a regular file (a folder, device, FIFO or socket, or
//   a link to one) is refused, never replaced.
// - The new file is made in the target's folder and moved over the name
//   without following a link that appears at the name meanwhile (POSIX: by
//   the folder's descriptor), so it never lands elsewhere.
// - The replacement keeps the old file's owner, group and mode (POSIX).
// - Where a replacement cannot keep all of that (a file with more than one
//   hard link, one owned by another user, a folder that refuses new files),
//   the file is written in place, but never cut: its new size is reserved
//   first and its old bytes are kept to be put back on failure (POSIX; on
//   Windows such a file is refused).
//
// `beforeCommit`, when given, sees the descriptor of the written file just
// before it takes the target's name.
std::optional<QString> replaceFile(const QString &path, const QByteArray &bytes, LinkAtTarget link = LinkAtTarget::Follow,
                                   const std::function<void(int fd)> &beforeCommit = {});

// replaceFile(), throwing FileError "Cannot create file \"<path>\". <reason>"
// when the file cannot be created or completed.
void writeFileAtomically(const QString &path, const QByteArray &bytes, LinkAtTarget link = LinkAtTarget::Follow);

// "\"<path>\" is not a regular file."
QString notARegularFile(const QString &path);

// Whether the two names lead to one existing file (through links too).
bool isSameFile(const QString &first, const QString &second);

} // namespace strovex
