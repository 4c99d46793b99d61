#include "sim/sim_label_file.h"
#include "sim/sim_designer.h"

#include <cstdint>
#include <utility>

namespace strovex::sim::detail {

namespace {

QString tooLarge(const QString &path)
{
    return QStringLiteral("The file \"%1\" is larger than %2 MB, more than a label file can be.")
        .arg(path)
        .arg(kMaxLabelFileBytes >> 20);
}

QString notAFile(const QString &path)
{
    return QStringLiteral("\"%1\" is not a regular file.").arg(path);
}

QString cannotRead(const QString &path, const QString &why)
{
    return QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, why);
}

// The file this process holds already under that identity (another name or link
// may lead to it); holds that have ended are forgotten on the way.
std::shared_ptr<HeldFile> alreadyHeld(HeldFiles &held, std::uint64_t device, std::uint64_t inode)
{
    std::erase_if(held, [](const std::weak_ptr<HeldFile> &w) { return w.expired(); });
    for (const std::weak_ptr<HeldFile> &w : held) {
        if (std::shared_ptr<HeldFile> h = w.lock(); h && h->sameFile(device, inode))
            return h;
    }
    return {};
}

std::shared_ptr<HeldFile> holdNew(HeldFiles &held, HeldFile file)
{
    auto shared = std::make_shared<HeldFile>(std::move(file));
    held.push_back(shared);
    return shared;
}

} // namespace

LabelFileRead readLabelFile(const QString &path, HeldFiles &held)
{
    LabelFileRead result;
    // A save by another designer may put a new file under the name between our
    // open and our lock; the lock must be on the file the name leads to.
    for (int attempt = 0; attempt < 8; ++attempt) {
        HeldFile file;
        QString error;
        switch (HeldFile::open(path, file, error)) {
        case HeldFile::Open::Opened:
            break;
        case HeldFile::Open::InUse:
            result.outcome = LabelFileRead::InUse;
            return result;
        case HeldFile::Open::NotAFile:
            result.reason = notAFile(path);
            return result;
        case HeldFile::Open::Failed:
            result.reason = cannotRead(path, error);
            return result;
        }
        if (file.size() > std::uint64_t(kMaxLabelFileBytes)) {
            result.reason = tooLarge(path);
            return result;
        }

        std::shared_ptr<HeldFile> shared = alreadyHeld(held, file.device(), file.inode());
        if (!shared) {
            // Where the file system has no locks the file is read all the same.
            if (file.lock() == HeldFile::Lock::InUse) {
                result.outcome = LabelFileRead::InUse;
                result.holder = file.holder();
                return result;
            }
            std::uint64_t device = 0, inode = 0;
            if (fileIdentity(path, device, inode) && !file.sameFile(device, inode))
                continue;
        }

        QByteArray bytes;
        if (!file.read(bytes, qint64(kMaxLabelFileBytes) + 1, error)) {
            result.reason = cannotRead(path, error);
            return result;
        }
        if (bytes.size() > kMaxLabelFileBytes) {
            result.reason = tooLarge(path);
            return result;
        }
        result.outcome = LabelFileRead::Read;
        result.bytes = std::move(bytes);
        result.held = shared ? std::move(shared) : holdNew(held, std::move(file));
        return result;
    }
    result.outcome = LabelFileRead::InUse;
    return result;
}

} // namespace strovex::sim::detail
