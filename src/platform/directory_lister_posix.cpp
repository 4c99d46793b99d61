#include "platform/directory_lister.h"
#include "tools/find_files.h"

#include "automation/dispatch.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

namespace strovex {
namespace {

// readdir with the entry type it reports; stat only where the type is unknown
// or the entry is a link (whose target decides whether it is a folder).
class PosixDirectoryLister : public DirectoryLister {
public:
    bool list(const std::u16string &folder, std::vector<DirEntry> &out) override
    {
        const std::string base = toUtf8(folder);
        DIR *dir = ::opendir(base.c_str());
        if (!dir)
            return false;
        std::string full = base;
        if (full.empty() || full.back() != '/')
            full += '/';
        const std::size_t baseLength = full.size();
        while (const dirent *entry = ::readdir(dir)) {
            const char *name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            DirEntry item;
            item.name = fromUtf8(name);
            item.hidden = name[0] == '.';
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN || type == DT_LNK) {
                full.resize(baseLength);
                full += name;
                struct stat info;
                if (type == DT_UNKNOWN && ::lstat(full.c_str(), &info) == 0)
                    type = S_ISLNK(info.st_mode) ? DT_LNK : S_ISDIR(info.st_mode) ? DT_DIR : DT_REG;
                if (type == DT_LNK) {
                    item.isLink = true;
                    // A dangling link is no folder.
                    if (::stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
                        type = DT_DIR;
                }
            }
            item.isDirectory = type == DT_DIR;
            out.push_back(std::move(item));
        }
        ::closedir(dir);
        return true;
    }

    bool identity(const std::u16string &folder, std::uint64_t &volume, std::uint64_t &index) override
    {
        struct stat info;
        if (::stat(toUtf8(folder).c_str(), &info) != 0)
            return false;
        volume = std::uint64_t(info.st_dev);
        index = std::uint64_t(info.st_ino);
        return true;
    }
};

} // namespace

std::shared_ptr<DirectoryLister> createNativeDirectoryLister()
{
    return std::make_shared<PosixDirectoryLister>();
}

} // namespace strovex
