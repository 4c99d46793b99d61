#include "sim/sim_label_file.h"
#include "sim/sim_designer.h"

#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <utility>
#include <vector>

namespace strovex::sim::detail {

namespace {

QString tooLarge(const QString &path)
{
    return QStringLiteral("The file \"%1\" is larger than %2 MB, more than a label file can be.")
        .arg(path)
        .arg(kMaxLabelFileBytes >> 20);
}

QString notAFile(const QString &path)
{
    return QStringLiteral("\"%1\" is not a regular file.").arg(path);
}

} // namespace

HeldFile::~HeldFile()
{
#ifndef Q_OS_WIN
    if (fd_ >= 0)
        ::close(fd_);
#endif
}

HeldFile::HeldFile(HeldFile &&other) noexcept
    : fd_(std::exchange(other.fd_, -1)), device_(other.device_), inode_(other.inode_)
{
}

HeldFile &HeldFile::operator=(HeldFile &&other) noexcept
{
    if (this != &other) {
        HeldFile old(std::move(*this));
        fd_ = std::exchange(other.fd_, -1);
        device_ = other.device_;
        inode_ = other.inode_;
    }
    return *this;
}

#ifndef Q_OS_WIN

struct LabelFileReader {
    static HeldFile adopt(int fd, const struct stat &info)
    {
        HeldFile file;
        file.fd_ = fd;
        file.device_ = std::uint64_t(info.st_dev);
        file.inode_ = std::uint64_t(info.st_ino);
        return file;
    }
};

HeldFile HeldFile::lockReplacement(int fd)
{
    if (fd < 0)
        return {};
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return {};
    struct stat info;
    if (::fstat(own, &info) != 0 || ::flock(own, LOCK_EX | LOCK_NB) != 0) {
        ::close(own);
        return {};
    }
    return LabelFileReader::adopt(own, info);
}

LabelFileRead readLabelFile(const QString &path, HeldFiles &held)
{
    LabelFileRead result;
    const QByteArray name = QFile::encodeName(path);
    // A save by another designer may put a new file under the name between our
    // open and our lock; the lock must be on the file the name leads to.
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Non-blocking: a FIFO must not hold the open up before its type is known.
        const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            result.reason = QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return result;
        }
        HeldFile file;
        struct stat info;
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            result.reason = notAFile(path);
            return result;
        }
        file = LabelFileReader::adopt(fd, info);
        if (info.st_size > kMaxLabelFileBytes) {
            result.reason = tooLarge(path);
            return result;
        }

        std::shared_ptr<HeldFile> shared;
        std::erase_if(held, [](const std::weak_ptr<HeldFile> &w) { return w.expired(); });
        for (const std::weak_ptr<HeldFile> &w : held) {
            std::shared_ptr<HeldFile> h = w.lock();
            if (h && h->sameFile(std::uint64_t(info.st_dev), std::uint64_t(info.st_ino)))
                shared = h;
        }
        if (!shared) {
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                if (errno == EWOULDBLOCK) {
                    result.outcome = LabelFileRead::InUse;
                    return result;
                }
                // A file system without locks: the file is read all the same.
            }
            struct stat now;
            if (::stat(name.constData(), &now) == 0 && (now.st_dev != info.st_dev || now.st_ino != info.st_ino))
                continue;
        }

        QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
        qsizetype got = 0;
        for (;;) {
            if (got == bytes.size()) {
                // The file grew since fstat: read on, within the limit.
                if (bytes.size() > kMaxLabelFileBytes) {
                    result.reason = tooLarge(path);
                    return result;
                }
                bytes.resize(std::min<qsizetype>(bytes.size() + 65536, kMaxLabelFileBytes + 1));
            }
            const ssize_t n = ::pread(fd, bytes.data() + got, std::size_t(bytes.size() - got), off_t(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                result.reason = QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
                return result;
            }
            if (n == 0)
                break;
            got += n;
        }
        bytes.truncate(got);
        result.outcome = LabelFileRead::Read;
        result.bytes = std::move(bytes);
        if (shared) {
            result.held = std::move(shared);
        } else {
            result.held = std::make_shared<HeldFile>(std::move(file));
            held.push_back(result.held);
        }
        return result;
    }
    result.outcome = LabelFileRead::InUse;
    return result;
}

#else

HeldFile HeldFile::lockReplacement(int)
{
    return {};
}

// Without POSIX locks the file is read with Qt alone and not held.
LabelFileRead readLabelFile(const QString &path, HeldFiles &)
{
    LabelFileRead result;
    const QFileInfo info(path);
    if (!info.isFile()) {
        result.reason = notAFile(path);
        return result;
    }
    if (info.size() > kMaxLabelFileBytes) {
        result.reason = tooLarge(path);
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.reason = QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, file.errorString());
        return result;
    }
    result.bytes = file.read(kMaxLabelFileBytes + 1);
    if (result.bytes.size() > kMaxLabelFileBytes) {
        result.bytes.clear();
        result.reason = tooLarge(path);
        return result;
    }
    result.outcome = LabelFileRead::Read;
    return result;
}

#endif

} // namespace strovex::sim::detail
