#pragma once
// A file kept open and locked for one holder, as a label designer keeps the
// labels it has open: another holder (another process, or another handle in
// this one) is refused, readers are not. Windows moves no file over one that
// is open, so a save gives the hold up just before the move and holds the
// new file after it. The system drops the lock when the process ends,
// however it ends.

#include <cstdint>
#include <string>

namespace strovex::win {

class HeldFileHandle {
public:
    enum class Open {
        Opened,
        InUse,    // another program has it open in a way that excludes us
        NotAFile, // a folder or a device
        Failed,
    };

    HeldFileHandle() = default;
    ~HeldFileHandle();
    HeldFileHandle(HeldFileHandle &&other) noexcept;
    HeldFileHandle &operator=(HeldFileHandle &&other) noexcept;
    HeldFileHandle(const HeldFileHandle &) = delete;
    HeldFileHandle &operator=(const HeldFileHandle &) = delete;

    // Opens `path` for reading, sharing reading and deletion with others.
    // `error` is the system's message when Failed.
    static Open open(const std::u16string &path, HeldFileHandle &out, std::u16string &error);

    bool valid() const { return handle_ != nullptr; }
    std::uint64_t volume() const { return volume_; }
    std::uint64_t index() const { return index_; }
    std::uint64_t size() const { return size_; }

    // Takes the exclusive lock without waiting: false when another holder has it.
    bool lock();

    // Reads from the start, at most `limit` bytes; false with the system's
    // message on failure.
    bool read(std::string &out, std::uint64_t limit, std::u16string &error) const;

private:
    bool describe();

    void *handle_ = nullptr;
    std::uint64_t volume_ = 0;
    std::uint64_t index_ = 0;
    std::uint64_t size_ = 0;
};

// Volume serial number and file index of what `path` names (a file or a folder).
bool fileIdentity(const std::u16string &path, std::uint64_t &volume, std::uint64_t &index);

} // namespace strovex::win
