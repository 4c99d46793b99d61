#pragma once
// How the simulated designer reads a label file and keeps it for itself, as a
// designer does: the file stays open with an exclusive lock from OpenLabel
// until the last object of every label opened from it is released, so another
// designer (another process, or another application object) is refused. The
// kernel drops the lock when the process ends, however it ends.

#include <QByteArray>
#include <QString>

#ifdef _WIN32
#include "platform/win/held_file.h"
#endif

#include <cstdint>
#include <memory>
#include <vector>

namespace strovex::sim::detail {

class HeldFile {
public:
    HeldFile() = default;
    ~HeldFile();
    HeldFile(HeldFile &&other) noexcept;
    HeldFile &operator=(HeldFile &&other) noexcept;
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;

#ifdef _WIN32
    bool valid() const { return file_.valid(); }
#else
    bool valid() const { return fd_ >= 0; }
#endif
    bool sameFile(std::uint64_t device, std::uint64_t inode) const { return valid() && device_ == device && inode_ == inode; }

#ifndef _WIN32
    // A save replaces the file by a new one: lock the new one through `fd` (the
    // save's open file) before it takes the label's name, so the name is never
    // free. Invalid when it cannot be locked (the save then wrote in place).
    // (Windows moves no file over an open one: the save there gives the hold
    // up just before the move and takes it again on the new file.)
    static HeldFile lockReplacement(int fd);
#endif

private:
    friend struct LabelFileReader;
#ifdef _WIN32
    win::HeldFileHandle file_;
#else
    int fd_ = -1;
#endif
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
};

// The label files one application object holds; labels of the same
// application share a file's lock.
using HeldFiles = std::vector<std::weak_ptr<HeldFile>>;

struct LabelFileRead {
    enum Outcome { Read, InUse, Refused } outcome = Refused;
    QByteArray bytes;
    std::shared_ptr<HeldFile> held; // the lock, when Read (null where locks are not available)
    QString reason;                 // for the error detail, when Refused
};

// Reads `path` (absolute) for OpenLabel: only a regular file (or a link to one)
// of at most kMaxLabelFileBytes, without blocking on a FIFO or device. Takes the
// file's lock, or shares the one `held` already has on it.
LabelFileRead readLabelFile(const QString &path, HeldFiles &held);

} // namespace strovex::sim::detail
