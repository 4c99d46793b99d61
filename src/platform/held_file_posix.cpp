#include "platform/held_file.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace strovex {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

HeldFile::~HeldFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

HeldFile::HeldFile(HeldFile &&other) noexcept
    : fd_(std::exchange(other.fd_, -1)), device_(other.device_), inode_(other.inode_), size_(other.size_)
{
}

HeldFile &HeldFile::operator=(HeldFile &&other) noexcept
{
    if (this != &other) {
        HeldFile old(std::move(*this));
        fd_ = std::exchange(other.fd_, -1);
        device_ = other.device_;
        inode_ = other.inode_;
        size_ = other.size_;
    }
    return *this;
}

bool HeldFile::valid() const
{
    return fd_ >= 0;
}

HeldFile::Open HeldFile::open(const QString &path, HeldFile &out, QString &error)
{
    out = HeldFile();
    // Non-blocking: a FIFO must not hold the open up before its type is known.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = systemReason(errno);
        return Open::Failed;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Open::NotAFile;
    }
    out.fd_ = fd;
    out.device_ = std::uint64_t(info.st_dev);
    out.inode_ = std::uint64_t(info.st_ino);
    out.size_ = std::uint64_t(info.st_size);
    return Open::Opened;
}

HeldFile::Lock HeldFile::lock()
{
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
        return Lock::Taken;
    return errno == EWOULDBLOCK ? Lock::InUse : Lock::Unavailable;
}

QString HeldFile::holder() const
{
    // The kernel lists every lock with the process that took it; a flock()
    // lock's line reads "1: FLOCK  ADVISORY  WRITE <pid> <major>:<minor>:<inode> 0 EOF".
    QFile locks(QStringLiteral("/proc/locks"));
    if (!valid() || !locks.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QByteArray identity = QByteArray::number(qulonglong(major(dev_t(device_))), 16).rightJustified(2, '0') + ':'
                                + QByteArray::number(qulonglong(minor(dev_t(device_))), 16).rightJustified(2, '0') + ':'
                                + QByteArray::number(qulonglong(inode_));
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields[1] != "FLOCK" || fields[3] != "WRITE" || fields[5] != identity)
            continue;
        const QByteArray pid = fields[4];
        QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid)));
        QString name;
        if (comm.open(QIODevice::ReadOnly))
            name = QString::fromLocal8Bit(comm.readAll().trimmed());
        return name.isEmpty() ? QStringLiteral("process %1").arg(QString::fromLatin1(pid))
                              : QStringLiteral("process %1 (%2)").arg(QString::fromLatin1(pid), name);
    }
    return {};
}

bool HeldFile::read(QByteArray &out, qint64 limit, QString &error) const
{
    out = QByteArray(qsizetype(std::min<std::uint64_t>(size_, std::uint64_t(limit))), Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == out.size()) {
            if (got >= limit)
                break;
            // The file grew since it was opened: read on, within the limit.
            out.resize(qsizetype(std::min<qint64>(qint64(got) + 65536, limit)));
        }
        const ssize_t n = ::pread(fd_, out.data() + got, std::size_t(out.size() - got), off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = systemReason(errno);
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    out.truncate(got);
    return true;
}

bool fileIdentity(const QString &path, std::uint64_t &device, std::uint64_t &inode)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    device = std::uint64_t(info.st_dev);
    inode = std::uint64_t(info.st_ino);
    return true;
}

void HeldFileSave::beforeReplace(int fd)
{
    if (!held_ || fd < 0)
        return;
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return;
    struct stat info;
    // Not lockable when the save writes into the held file itself: the old
    // hold then stays.
    if (::fstat(own, &info) != 0 || ::flock(own, LOCK_EX | LOCK_NB) != 0) {
        ::close(own);
        return;
    }
    replacement_ = HeldFile();
    replacement_.fd_ = own;
    replacement_.device_ = std::uint64_t(info.st_dev);
    replacement_.inode_ = std::uint64_t(info.st_ino);
    replacement_.size_ = std::uint64_t(info.st_size);
}

void HeldFileSave::finish(const QString &, bool replaced)
{
    if (held_ && replaced && replacement_.valid())
        *held_ = std::move(replacement_);
    replacement_ = HeldFile();
}

} // namespace strovex
