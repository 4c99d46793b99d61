#pragma once
// One folder's entries with their hidden and system attributes, through the
// wide file API (long paths and any characters).

#include "platform/directory_lister.h"

namespace strovex::win {

// strovex::createNativeDirectoryLister() gives one of these on Windows.
class WinDirectoryLister final : public DirectoryLister {
public:
    // Replaces `out` with the entries of `folder`; false when it cannot be read.
    bool list(const std::u16string &folder, std::vector<DirEntry> &out) override;
    // Volume serial number and file index of the folder.
    bool identity(const std::u16string &folder, std::uint64_t &volume, std::uint64_t &index) override;
};

} // namespace strovex::win
