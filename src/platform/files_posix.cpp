#include "platform/files.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace strovex {

namespace {

QString reasonOf(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

// 0 on success, else the error of the failing write; `written` tells how far
// it came.
int writeAt(int fd, const char *data, qint64 size, off_t offset, qint64 *written = nullptr)
{
    qint64 ignored = 0;
    qint64 &done = written ? *written : ignored;
    for (done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, data + done, std::size_t(size - done), offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;
        done += n;
    }
    return 0;
}

int readAt(int fd, QByteArray &out, qint64 size)
{
    out = QByteArray(qsizetype(size), Qt::Uninitialized);
    for (qint64 done = 0; done < size;) {
        const ssize_t n = ::pread(fd, out.data() + done, std::size_t(size - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO; // shrank under us
        done += n;
    }
    return 0;
}

QByteArray temporaryName(const QByteArray &name)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray temp = name + '.';
    for (int i = 0; i < 6; ++i)
        temp += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return temp;
}

QString leftDamaged(const QString &path)
{
    return QStringLiteral(" The file \"%1\" was left damaged: its old contents could not be put back.").arg(path);
}

// Writes a file that is not replaced in place, never cutting it: the new size
// is reserved before the first byte changes, and the old bytes are put back
// when a write fails all the same.
std::optional<QString> writeInPlace(int folder, const QByteArray &name, const struct stat &checked, const QByteArray &bytes,
                                    const QString &path)
{
    const Descriptor file(::openat(folder, name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid())
        return reasonOf(errno);
    struct stat info;
    if (::fstat(file.get(), &info) != 0)
        return reasonOf(errno);
    if (!S_ISREG(info.st_mode) || info.st_dev != checked.st_dev || info.st_ino != checked.st_ino)
        return QStringLiteral("The file changed while it was being written; it is left as it was.");
    QByteArray old;
    if (const int error = readAt(file.get(), old, qint64(info.st_size)))
        return reasonOf(error) + QStringLiteral(" Its contents could not be kept to put back on failure, so it is left as it was.");
    if (bytes.size() > old.size()) {
        if (const int error = ::posix_fallocate(file.get(), 0, off_t(bytes.size()))) {
            // A reservation that failed part-way may have made the file longer.
            if (::ftruncate(file.get(), off_t(old.size())) != 0)
                return reasonOf(error) + leftDamaged(path);
            return reasonOf(error);
        }
    }
    qint64 written = 0;
    int error = writeAt(file.get(), bytes.constData(), bytes.size(), 0, &written);
    bool shrunk = false;
    if (!error && bytes.size() < old.size()) {
        shrunk = true;
        if (::ftruncate(file.get(), off_t(bytes.size())) != 0)
            error = errno;
    }
    if (!error && ::fsync(file.get()) != 0)
        error = errno;
    if (error) {
        // The old bytes go back where new ones were written (no further: the
        // file-size limit may forbid more), and the old length.
        if (shrunk)
            written = old.size();
        if (writeAt(file.get(), old.constData(), std::min(written, qint64(old.size())), 0) != 0
            || ::ftruncate(file.get(), off_t(old.size())) != 0 || ::fsync(file.get()) != 0)
            return reasonOf(error) + leftDamaged(path);
        return reasonOf(error);
    }
    return std::nullopt;
}

std::optional<QString> replace(const QString &path, const QString &shownPath, const QByteArray &bytes, LinkAtTarget link,
                               const std::function<void(int)> &beforeCommit, int linksLeft)
{
    const QByteArray encoded = QFile::encodeName(path);
    const qsizetype slash = encoded.lastIndexOf('/');
    const QByteArray folderName = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : encoded.left(slash);
    const QByteArray name = encoded.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..")
        return reasonOf(EISDIR);

    const Descriptor folder(::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return reasonOf(errno);
    struct stat target;
    const bool exists = ::fstatat(folder.get(), name.constData(), &target, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return reasonOf(errno);
    if (exists && S_ISLNK(target.st_mode)) {
        if (link == LinkAtTarget::Refuse)
            return QStringLiteral("A symbolic link has that name; it is not followed.");
        if (linksLeft == 0)
            return reasonOf(ELOOP);
        // The file the link leads to is written, by its own folder.
        return replace(QFileInfo(path).symLinkTarget(), shownPath, bytes, link, beforeCommit, linksLeft - 1);
    }
    if (exists && !S_ISREG(target.st_mode))
        return notARegularFile(shownPath);
    if (exists && ::faccessat(folder.get(), name.constData(), W_OK, AT_EACCESS) != 0)
        return QStringLiteral("Existing file %1 is not writable").arg(path);

    // A replacement would split a file's hard links: those keep the one file.
    bool inPlace = exists && target.st_nlink > 1;
    if (!inPlace) {
        QByteArray temp;
        int fd = -1;
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            temp = temporaryName(name);
            fd = ::openat(folder.get(), temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST)
                break;
        }
        const int openError = errno;
        if (fd < 0 && exists && (openError == EACCES || openError == EPERM)) {
            // The user may change the file but not make one beside it.
            inPlace = true;
        } else if (fd < 0) {
            QString reason = reasonOf(openError);
            if (!exists && (openError == EACCES || openError == EPERM))
                reason += QStringLiteral(" The folder \"%1\" does not allow new files.").arg(QFileInfo(path).absolutePath());
            return reason;
        } else {
            const Descriptor file(fd);
            const auto fail = [&](int error) {
                ::unlinkat(folder.get(), temp.constData(), 0);
                return reasonOf(error);
            };
            if (const int error = writeAt(fd, bytes.constData(), bytes.size(), 0))
                return fail(error);
            if (exists) {
                struct stat made;
                if (::fstat(fd, &made) != 0)
                    return fail(errno);
                if ((made.st_uid != target.st_uid || made.st_gid != target.st_gid)
                    && ::fchown(fd, target.st_uid, target.st_gid) != 0) {
                    // Another user's file: only writing it in place keeps its owner.
                    ::unlinkat(folder.get(), temp.constData(), 0);
                    inPlace = true;
                } else if (::fchmod(fd, target.st_mode & 07777) != 0) {
                    return fail(errno);
                }
            }
            if (!inPlace) {
                if (::fsync(fd) != 0)
                    return fail(errno);
                if (beforeCommit)
                    beforeCommit(fd);
                // By name in the folder: a link put at the name meanwhile is
                // replaced, not followed.
                if (::renameat(folder.get(), temp.constData(), folder.get(), name.constData()) != 0)
                    return fail(errno);
                ::fsync(folder.get());
                return std::nullopt;
            }
        }
    }
    return writeInPlace(folder.get(), name, target, bytes, shownPath);
}

} // namespace

std::optional<QString> replaceFile(const QString &path, const QByteArray &bytes, LinkAtTarget link,
                                   const std::function<void(int)> &beforeCommit)
{
    return replace(path, path, bytes, link, beforeCommit, 40);
}

bool isSameFile(const QString &first, const QString &second)
{
    struct stat a {};
    struct stat b {};
    return ::stat(QFile::encodeName(first).constData(), &a) == 0 && ::stat(QFile::encodeName(second).constData(), &b) == 0
           && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace strovex
