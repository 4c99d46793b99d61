#include "platform/directory_lister.h"
#include "platform/native_names.h"

#include <QString>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statfs.h>

#include <cstring>

namespace strovex {
namespace {

std::string toLocal(const std::u16string &text)
{
    return QString::fromStdU16String(text).toStdString();
}

// f_type values of the kernel's own file systems (linux/magic.h). devtmpfs is
// not among them: it shares tmpfs's value, and /dev holds no regular files.
bool isPseudoType(unsigned long type)
{
    switch (type) {
    case 0x9fa0:     // proc
    case 0x62656572: // sysfs
    case 0x27e0eb:   // cgroup
    case 0x63677270: // cgroup2
    case 0x64626720: // debugfs
    case 0x74726163: // tracefs
    case 0x73636673: // securityfs
    case 0x6165676c: // pstore
    case 0xcafe4a11: // bpf
    case 0x62656570: // configfs
    case 0x65735543: // fusectl
    case 0x19800202: // mqueue
    case 0x958458f6: // hugetlbfs
    case 0x1cd1:     // devpts
    case 0x0187:     // autofs
    case 0xf97cff8c: // selinuxfs
    case 0xde5e81e4: // efivarfs
    case 0x42494e4d: // binfmt_misc
    case 0x67596969: // rpc_pipefs
    case 0x6e736673: // nsfs
        return true;
    default:
        return false;
    }
}

// readdir with the entry type it reports; stat only where the type is unknown
// or the entry is a link (whose target decides what it is).
class PosixDirectoryLister : public DirectoryLister {
public:
    bool list(const std::u16string &folder, std::vector<DirEntry> &out) override
    {
        const std::string base = toLocal(folder);
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
            if (const std::optional<QString> text = exactNameText(QByteArray(name))) {
                item.name = text->toStdU16String();
            } else {
                item.name = shownNativeName(QByteArray(name)).toStdU16String();
                item.inexactName = true;
            }
            item.hidden = name[0] == '.';
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN || type == DT_LNK) {
                full.resize(baseLength);
                full += name;
                struct stat info;
                if (type == DT_UNKNOWN && ::lstat(full.c_str(), &info) == 0)
                    type = S_ISLNK(info.st_mode) ? DT_LNK : S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
                if (type == DT_LNK) {
                    item.isLink = true;
                    // A dangling link, or one to a device or FIFO, is no file of ours.
                    type = DT_UNKNOWN;
                    if (::stat(full.c_str(), &info) == 0)
                        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
                }
            }
            item.isDirectory = type == DT_DIR;
            item.special = type != DT_DIR && type != DT_REG;
            out.push_back(std::move(item));
        }
        ::closedir(dir);
        return true;
    }

    bool identity(const std::u16string &folder, std::uint64_t &volume, std::uint64_t &index) override
    {
        struct stat info;
        if (::stat(toLocal(folder).c_str(), &info) != 0)
            return false;
        volume = std::uint64_t(info.st_dev);
        index = std::uint64_t(info.st_ino);
        return true;
    }

    bool onPseudoFileSystem(const std::u16string &folder) override
    {
        struct statfs info;
        return ::statfs(toLocal(folder).c_str(), &info) == 0 && isPseudoType((unsigned long)(info.f_type));
    }
};

} // namespace

std::shared_ptr<DirectoryLister> createNativeDirectoryLister()
{
    return std::make_shared<PosixDirectoryLister>();
}

} // namespace strovex
