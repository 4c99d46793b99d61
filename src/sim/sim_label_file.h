#pragma once
// How the simulated designer reads a label file and keeps it for itself, as a
// designer does: the file stays open with an exclusive lock from OpenLabel
// until the last object of every label opened from it is released, so another
// designer (another process, or another application object) is refused. The
// kernel drops the lock when the process ends, however it ends.

#include "platform/held_file.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace strovex::sim::detail {

using strovex::HeldFile;

// The label files one application object holds; labels of the same
// application share a file's lock.
using HeldFiles = std::vector<std::weak_ptr<HeldFile>>;

struct LabelFileRead {
    enum Outcome { Read, InUse, Refused } outcome = Refused;
    QByteArray bytes;
    std::shared_ptr<HeldFile> held; // the lock, when Read (null where locks are not available)
    QString reason;                 // for the error detail, when Refused
    QString holder;                 // who holds it, when InUse and the system can tell
};

// Reads `path` (absolute) for OpenLabel: only a regular file (or a link to one)
// of at most kMaxLabelFileBytes, without blocking on a FIFO or device. Takes the
// file's lock, or shares the one `held` already has on it.
LabelFileRead readLabelFile(const QString &path, HeldFiles &held);

} // namespace strovex::sim::detail
