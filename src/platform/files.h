#pragma once
// Every file Strovex writes is built in memory first and then written here in
// one go, through a temporary file that replaces the target only when all of
// it is on disk: a failure never leaves half a file. (Only where the folder
// refuses a temporary file is the target written in place.)

#include <QByteArray>
#include <QFileDevice>
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
// Returns nothing on success, else the system's reason; the target is
// then left byte for byte as it was. Where the folder refuses the temporary
// file but the target itself may be written, the target is written in place
// (a failure part-way then leaves it incomplete). `beforeCommit`, when given,
// sees the written file's handle just before it takes the target's name.
std::optional<QString> replaceFile(const QString &path, const QByteArray &bytes, LinkAtTarget link = LinkAtTarget::Follow,
                                   const std::function<void(int handle)> &beforeCommit = {});

// replaceFile(), throwing FileError "Cannot create file \"<path>\". <reason>"
// when the file cannot be created or completed.
void writeFileAtomically(const QString &path, const QByteArray &bytes, LinkAtTarget link = LinkAtTarget::Follow);

// Whether the two names lead to one existing file (through links too).
bool isSameFile(const QString &first, const QString &second);

} // namespace strovex
