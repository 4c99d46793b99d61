#include "tools/find_files.h"

#include <utility>
#include <vector>

namespace strovex {
namespace {

std::shared_ptr<DirectoryLister> &currentLister()
{
    static std::shared_ptr<DirectoryLister> lister = createNativeDirectoryLister();
    return lister;
}

#ifdef Q_OS_WIN
constexpr char16_t kSeparator = u'\\';
bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
#else
constexpr char16_t kSeparator = u'/';
bool isSeparator(char16_t c) { return c == u'/'; }
#endif

char16_t fold(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return QChar(c).toCaseFolded().unicode();
}

std::u16string toU16(const QString &text)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
}

struct FolderId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FolderId &) const = default;
};

class Search {
public:
    Search(DirectoryLister &lister, QStringView mask, bool recursive, QStringList &list)
        : lister_(lister), mask_(mask), recursive_(recursive), list_(list)
    {
    }

    int run(std::u16string folder)
    {
        if (folder.empty() || !isSeparator(folder.back()))
            folder += kSeparator;
        FolderId id;
        const bool known = lister_.identity(folder, id.volume, id.index);
        if (known) {
            for (const FolderId &onPath : path_) {
                if (onPath == id)
                    return 0;
            }
            path_.push_back(id);
        }

        int count = 0;
        std::vector<DirEntry> entries;
        if (lister_.list(folder, entries)) {
            const QString prefix = QString::fromStdU16String(folder);
            for (const DirEntry &entry : entries) {
                if (entry.isDirectory)
                    continue;
                const QStringView name(entry.name.data(), qsizetype(entry.name.size()));
                if (wildcardMatches(mask_, name)) {
                    QString item;
                    item.reserve(prefix.size() + name.size());
                    item.append(prefix).append(name);
                    list_.append(std::move(item));
                    ++count;
                }
            }
            if (recursive_) {
                for (DirEntry &entry : entries) {
                    if (entry.isDirectory && !entry.hidden && !entry.system)
                        count += run(folder + entry.name);
                }
            }
        }
        if (known)
            path_.pop_back();
        return count;
    }

private:
    DirectoryLister &lister_;
    QStringView mask_;
    bool recursive_;
    QStringList &list_;
    std::vector<FolderId> path_; // folders of the current search path
};

} // namespace

bool wildcardMatches(QStringView mask, QStringView name)
{
    // Iterative matcher with one backtrack point: linear for the usual masks.
    qsizetype m = 0, n = 0, starM = -1, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            starM = m++;
            starN = n;
        } else if (m < mask.size() && (mask[m] == u'?' || fold(mask[m].unicode()) == fold(name[n].unicode()))) {
            ++m;
            ++n;
        } else if (starM >= 0) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}

int FindFiles(const QString &mask, const QString &folder, bool recursive, QStringList &list)
{
    Search search(directoryLister(), mask, recursive, list);
    return search.run(toU16(folder));
}

DirectoryLister &directoryLister()
{
    return *currentLister();
}

void setDirectoryLister(std::shared_ptr<DirectoryLister> lister)
{
    currentLister() = lister ? std::move(lister) : createNativeDirectoryLister();
}

} // namespace strovex
