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

QString cannotRead(const QString &path, const QString &why)
{
    return QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, why);
}

// The file this process holds already under that identity (another name or link
// may lead to it); holds that have ended are forgotten on the way.
std::shared_ptr<HeldFile> alreadyHeld(HeldFiles &held, std::uint64_t device, std::uint64_t inode)
{
    std::erase_if(held, [](const std::weak_ptr<HeldFile> &w) { return w.expired(); });
    for (const std::weak_ptr<HeldFile> &w : held) {
        if (std::shared_ptr<HeldFile> h = w.lock(); h && h->sameFile(device, inode))
            return h;
    }
    return {};
}

std::shared_ptr<HeldFile> holdNew(HeldFiles &held, HeldFile file)
{
    auto shared = std::make_shared<HeldFile>(std::move(file));
    held.push_back(shared);
    return shared;
}

} // namespace

#ifdef Q_OS_WIN

HeldFile::~HeldFile() = default;

HeldFile::HeldFile(HeldFile &&other) noexcept
    : file_(std::move(other.file_)), device_(other.device_), inode_(other.inode_)
{
}

HeldFile &HeldFile::operator=(HeldFile &&other) noexcept
{
    if (this != &other) {
        file_ = std::move(other.file_);
        device_ = other.device_;
        inode_ = other.inode_;
    }
    return *this;
}

#else

HeldFile::~HeldFile()
{
    if (fd_ >= 0)
        ::close(fd_);
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

#endif

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
            result.reason = cannotRead(path, QString::fromLocal8Bit(std::strerror(errno)));
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

        std::shared_ptr<HeldFile> shared = alreadyHeld(held, std::uint64_t(info.st_dev), std::uint64_t(info.st_ino));
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
                result.reason = cannotRead(path, QString::fromLocal8Bit(std::strerror(errno)));
                return result;
            }
            if (n == 0)
                break;
            got += n;
        }
        bytes.truncate(got);
        result.outcome = LabelFileRead::Read;
        result.bytes = std::move(bytes);
        result.held = shared ? std::move(shared) : holdNew(held, std::move(file));
        return result;
    }
    result.outcome = LabelFileRead::InUse;
    return result;
}

#else

struct LabelFileReader {
    static HeldFile adopt(win::HeldFileHandle file)
    {
        HeldFile held;
        held.device_ = file.volume();
        held.inode_ = file.index();
        held.file_ = std::move(file);
        return held;
    }
};

LabelFileRead readLabelFile(const QString &path, HeldFiles &held)
{
    LabelFileRead result;
    const std::u16string name = path.toStdU16String();
    // A save by another designer may put a new file under the name between our
    // open and our lock; the lock must be on the file the name leads to.
    for (int attempt = 0; attempt < 8; ++attempt) {
        win::HeldFileHandle file;
        std::u16string error;
        switch (win::HeldFileHandle::open(name, file, error)) {
        case win::HeldFileHandle::Open::Opened:
            break;
        case win::HeldFileHandle::Open::InUse:
            result.outcome = LabelFileRead::InUse;
            return result;
        case win::HeldFileHandle::Open::NotAFile:
            result.reason = notAFile(path);
            return result;
        case win::HeldFileHandle::Open::Failed:
            result.reason = cannotRead(path, QString::fromStdU16String(error));
            return result;
        }
        if (file.size() > std::uint64_t(kMaxLabelFileBytes)) {
            result.reason = tooLarge(path);
            return result;
        }

        std::shared_ptr<HeldFile> shared = alreadyHeld(held, file.volume(), file.index());
        if (!shared) {
            if (!file.lock()) {
                result.outcome = LabelFileRead::InUse;
                return result;
            }
            std::uint64_t volume = 0, index = 0;
            if (win::fileIdentity(name, volume, index) && (volume != file.volume() || index != file.index()))
                continue;
        }

        std::string bytes;
        if (!file.read(bytes, std::uint64_t(kMaxLabelFileBytes) + 1, error)) {
            result.reason = cannotRead(path, QString::fromStdU16String(error));
            return result;
        }
        if (bytes.size() > std::size_t(kMaxLabelFileBytes)) {
            result.reason = tooLarge(path);
            return result;
        }
        result.outcome = LabelFileRead::Read;
        result.bytes = QByteArray(bytes.data(), qsizetype(bytes.size()));
        result.held = shared ? std::move(shared) : holdNew(held, LabelFileReader::adopt(std::move(file)));
        return result;
    }
    result.outcome = LabelFileRead::InUse;
    return result;
}

#endif

} // namespace strovex::sim::detail
