#include "platform/held_file.h"

#include <string>
#include <utility>

namespace strovex {

HeldFile::~HeldFile() = default;

HeldFile::HeldFile(HeldFile &&other) noexcept
    : file_(std::move(other.file_)), device_(other.device_), inode_(other.inode_), size_(other.size_)
{
}

HeldFile &HeldFile::operator=(HeldFile &&other) noexcept
{
    if (this != &other) {
        file_ = std::move(other.file_);
        device_ = other.device_;
        inode_ = other.inode_;
        size_ = other.size_;
    }
    return *this;
}

bool HeldFile::valid() const
{
    return file_.valid();
}

HeldFile::Open HeldFile::open(const QString &path, HeldFile &out, QString &error)
{
    out = HeldFile();
    win::HeldFileHandle file;
    std::u16string message;
    switch (win::HeldFileHandle::open(path.toStdU16String(), file, message)) {
    case win::HeldFileHandle::Open::Opened:
        break;
    case win::HeldFileHandle::Open::InUse:
        return Open::InUse;
    case win::HeldFileHandle::Open::NotAFile:
        return Open::NotAFile;
    case win::HeldFileHandle::Open::Failed:
        error = QString::fromStdU16String(message);
        return Open::Failed;
    }
    out.device_ = file.volume();
    out.inode_ = file.index();
    out.size_ = file.size();
    out.file_ = std::move(file);
    return Open::Opened;
}

HeldFile::Lock HeldFile::lock()
{
    return file_.lock() ? Lock::Taken : Lock::InUse;
}

QString HeldFile::holder() const
{
    // A byte-range lock does not tell its owner.
    return {};
}

bool HeldFile::read(QByteArray &out, qint64 limit, QString &error) const
{
    std::string bytes;
    std::u16string message;
    if (!file_.read(bytes, std::uint64_t(limit), message)) {
        error = QString::fromStdU16String(message);
        return false;
    }
    out = QByteArray(bytes.data(), qsizetype(bytes.size()));
    return true;
}

bool fileIdentity(const QString &path, std::uint64_t &device, std::uint64_t &inode)
{
    return win::fileIdentity(path.toStdU16String(), device, inode);
}

void HeldFileSave::beforeReplace(int)
{
    // The new file is open to nobody else until it is moved.
    if (held_)
        *held_ = HeldFile();
}

void HeldFileSave::finish(const QString &path, bool)
{
    if (!held_ || held_->valid())
        return;
    HeldFile again;
    QString error;
    if (HeldFile::open(path, again, error) == HeldFile::Open::Opened && again.lock() == HeldFile::Lock::Taken)
        *held_ = std::move(again);
}

} // namespace strovex
