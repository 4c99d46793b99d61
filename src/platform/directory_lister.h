#pragma once
// One folder's entries with the attributes the recursive file search needs.
// Free of Qt: the Windows side reads FindFirstFileW attributes, the portable
// side readdir (a name starting with "." counts as hidden).

#include <cstdint>
#include <string>
#include <vector>

namespace strovex {

struct DirEntry {
    std::u16string name;
    bool isDirectory = false;
    bool hidden = false;
    bool system = false;
    bool isLink = false; // symbolic link or junction
};

class DirectoryLister {
public:
    virtual ~DirectoryLister() = default;
    // Entries of `folder` without "." and ".."; false when it cannot be read.
    virtual bool list(const std::u16string &folder, std::vector<DirEntry> &out) = 0;
    // An identity of the folder (device and inode, or volume and file index)
    // used to stop a search that reaches a folder again through a link.
    virtual bool identity(const std::u16string &folder, std::uint64_t &volume, std::uint64_t &index) = 0;
};

} // namespace strovex
