#include "tools/find_files.h"

#include "platform/paths.h"

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

namespace strovex {
namespace {

std::shared_ptr<DirectoryLister> &currentLister()
{
    static std::shared_ptr<DirectoryLister> lister = createNativeDirectoryLister();
    return lister;
}

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

struct FolderIdHash {
    std::size_t operator()(const FolderId &id) const noexcept
    {
        return std::hash<std::uint64_t>{}(id.index * 0x9E3779B97F4A7C15ull ^ id.volume);
    }
};

QStringView view(const std::u16string &text)
{
    return QStringView(text.data(), qsizetype(text.size()));
}

bool nameLess(const DirEntry &a, const DirEntry &b)
{
    return compareNamesNaturally(view(a.name), view(b.name)) < 0;
}

class Search {
public:
    Search(DirectoryLister &lister, QStringView mask, const FindFilesOptions &options, QStringList &list)
        : lister_(lister), mask_(mask), options_(options), list_(list)
    {
    }

    int start(std::u16string folder)
    {
        separator_ = separatorOf(view(folder)).unicode();
        if (folder.empty() || !isPathSeparator(folder.back()))
            folder += separator_;
        // A search started inside /proc or /sys is asked for; one that only
        // passes by them is not.
        pseudoAllowed_ = lister_.onPseudoFileSystem(folder);
        return run(folder);
    }

private:
    int run(const std::u16string &folder)
    {
        if (stopped_)
            return 0;
        FolderId id;
        if (lister_.identity(folder, id.volume, id.index) && !visited_.insert(id).second)
            return 0;

        int count = 0;
        std::vector<DirEntry> entries;
        if (!lister_.list(folder, entries))
            return 0;
        std::vector<DirEntry> files;
        std::vector<DirEntry> folders;
        for (DirEntry &entry : entries) {
            if (entry.isDirectory) {
                if (options_.recursive && !entry.hidden && !entry.system)
                    folders.push_back(std::move(entry));
            } else if (!entry.special && wildcardMatches(mask_, view(entry.name))) {
                files.push_back(std::move(entry));
            }
        }
        // A name that is not valid text would reach another file: told, never used.
        const auto exact = [&](const DirEntry &entry) {
            if (!entry.inexactName)
                return true;
            if (options_.skipped)
                options_.skipped(QString::fromStdU16String(folder + entry.name));
            return false;
        };
        std::sort(files.begin(), files.end(), nameLess);
        std::erase_if(files, [&](const DirEntry &entry) { return !exact(entry); });
        entries = {};
        found_ += int(files.size());
        if (options_.progress && !options_.progress(++folders_, found_)) {
            stopped_ = true;
            return 0;
        }
        const QString prefix = QString::fromStdU16String(folder);
        for (const DirEntry &entry : files) {
            QString item;
            item.reserve(prefix.size() + qsizetype(entry.name.size()));
            item.append(prefix).append(view(entry.name));
            list_.append(std::move(item));
            ++count;
        }
        std::sort(folders.begin(), folders.end(), nameLess);
        for (const DirEntry &entry : folders) {
            if (!exact(entry))
                continue;
            std::u16string sub = folder + entry.name;
            sub += separator_;
            if (!pseudoAllowed_ && lister_.onPseudoFileSystem(sub))
                continue;
            count += run(sub);
        }
        return count;
    }

    DirectoryLister &lister_;
    QStringView mask_;
    FindFilesOptions options_;
    QStringList &list_;
    bool pseudoAllowed_ = false;
    char16_t separator_ = u'/';
    std::unordered_set<FolderId, FolderIdHash> visited_;
    int folders_ = 0;
    int found_ = 0;

public:
    bool stopped_ = false;
};

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

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

int compareNamesNaturally(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    int tie = 0; // the first difference that folding and numbers hide
    while (i < a.size() && j < b.size()) {
        const char16_t ca = a[i].unicode();
        const char16_t cb = b[j].unicode();
        if (isDigit(ca) && isDigit(cb)) {
            // Compare the runs by value: without leading zeros, the longer is
            // larger, else the first differing digit decides.
            qsizetype zi = i, zj = j;
            while (zi < a.size() && a[zi] == u'0')
                ++zi;
            while (zj < b.size() && b[zj] == u'0')
                ++zj;
            qsizetype ei = zi, ej = zj;
            while (ei < a.size() && isDigit(a[ei].unicode()))
                ++ei;
            while (ej < b.size() && isDigit(b[ej].unicode()))
                ++ej;
            if (ei - zi != ej - zj)
                return ei - zi < ej - zj ? -1 : 1;
            for (qsizetype k = 0; k < ei - zi; ++k) {
                if (a[zi + k] != b[zj + k])
                    return a[zi + k] < b[zj + k] ? -1 : 1;
            }
            if (tie == 0 && (zi - i) != (zj - j))
                tie = (zi - i) < (zj - j) ? -1 : 1; // fewer leading zeros first
            i = ei;
            j = ej;
            continue;
        }
        const char16_t fa = fold(ca);
        const char16_t fb = fold(cb);
        if (fa != fb)
            return fa < fb ? -1 : 1;
        if (tie == 0 && ca != cb)
            tie = ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return tie;
}

int FindFiles(const QString &mask, const QString &folder, const FindFilesOptions &options, QStringList &list)
{
    const qsizetype before = list.size();
    Search search(directoryLister(), mask, options, list);
    const int count = search.start(toU16(folder));
    if (search.stopped_) {
        list.resize(before);
        return -1;
    }
    return count;
}

QString SkippedNameLine(const QString &shownPath)
{
    return QStringLiteral("Skipped \"%1\": the name is not valid UTF-8, so it would name another file.").arg(shownPath);
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
