#pragma once
// A file kept open and locked for one holder, as a label designer keeps the
// labels it has open: another holder (another process, or another open of the
// file in this one) is refused. The system drops the lock when the process
// ends, however it ends. The POSIX side locks with flock(); the Windows side
// is the Qt-free handle in win/held_file.h.

#include <QByteArray>
#include <QString>

#ifdef _WIN32
#include "platform/win/held_file.h"
#endif

#include <cstdint>

namespace strovex {

class HeldFile {
public:
    enum class Open {
        Opened,
        InUse,    // another holder has it open in a way that excludes us (Windows)
        NotAFile, // a folder, device, FIFO or socket: never waited for
        Failed,   // `error` says why
    };
    enum class Lock {
        Taken,
        InUse,       // another holder has it
        Unavailable, // the file system has no locks: the file is used unlocked
    };

    HeldFile() = default;
    ~HeldFile();
    HeldFile(HeldFile &&other) noexcept;
    HeldFile &operator=(HeldFile &&other) noexcept;
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;

    // Opens `path` (a link is followed) for reading without blocking, and
    // without locking it yet.
    static Open open(const QString &path, HeldFile &out, QString &error);

    bool valid() const;
    std::uint64_t device() const { return device_; }
    std::uint64_t inode() const { return inode_; }
    std::uint64_t size() const { return size_; }
    bool sameFile(std::uint64_t device, std::uint64_t inode) const { return valid() && device_ == device && inode_ == inode; }

    // Takes the exclusive lock without waiting.
    Lock lock();

    // Who holds the file's lock, where the system can tell: "process <pid>
    // (<name>)"; empty where it cannot.
    QString holder() const;

    // The file's bytes from the start, at most `limit` of them (the file may
    // have grown since it was opened); false with the system's reason.
    bool read(QByteArray &out, qint64 limit, QString &error) const;

private:
    friend class HeldFileSave;
#ifdef _WIN32
    win::HeldFileHandle file_;
#else
    int fd_ = -1;
#endif
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::uint64_t size_ = 0;
};

// The device and inode (volume and file index) of what `path` names now.
bool fileIdentity(const QString &path, std::uint64_t &device, std::uint64_t &inode);

// A save replaces a held file by a new one; the hold goes over to the new
// file. Where the system can move a file over an open one (POSIX), the new
// file is locked before it takes the name, so the name is never free; Windows
// moves no file over an open one, so there the hold is given up just before
// the move and taken again on the file under the name afterwards.
class HeldFileSave {
public:
    explicit HeldFileSave(HeldFile *held) : held_(held) {}
    // With the new file's descriptor, just before it takes the name.
    void beforeReplace(int fd);
    // After the save, whether it replaced the file or not.
    void finish(const QString &path, bool replaced);

private:
    HeldFile *held_;
    HeldFile replacement_;
};

} // namespace strovex
