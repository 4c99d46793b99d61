#pragma once
// One folder's entries with the attributes the recursive file search needs.
// Free of Qt: the Windows side reads FindFirstFileW attributes, the portable
// side readdir (a name starting with "." counts as hidden).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace strovex {

struct DirEntry {
    std::u16string name;
    bool isDirectory = false;
    bool hidden = false;
    bool system = false;
    bool isLink = false; // symbolic link or junction
    // Neither a folder nor a regular file, nor a link to one: a device, FIFO,
    // socket or dangling link. Such an entry is never a label file.
    bool special = false;
    // The name's bytes are not valid text (POSIX): `name` only shows them
    // (\xNN for each byte that is not) and names no file.
    bool inexactName = false;
};

class DirectoryLister {
public:
    virtual ~DirectoryLister() = default;
    // Entries of `folder` without "." and ".."; false when it cannot be read.
    virtual bool list(const std::u16string &folder, std::vector<DirEntry> &out) = 0;
    // An identity of the folder (device and inode, or volume and file index)
    // so a search enters each folder once, whatever path leads there.
    virtual bool identity(const std::u16string &folder, std::uint64_t &volume, std::uint64_t &index) = 0;
    // True when the folder lies on one of the kernel's pseudo file systems
    // (process, device and control views), which hold no label files but can
    // be endless to walk.
    virtual bool onPseudoFileSystem(const std::u16string & /*folder*/) { return false; }
};

// The lister of the platform in use (POSIX here, Win32 on Windows).
std::shared_ptr<DirectoryLister> createNativeDirectoryLister();

} // namespace strovex
