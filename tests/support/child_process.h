#pragma once
// Cases that need a process of their own: a lowered file-size limit, or a user
// without root's rights over file permissions.

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace strovex::test {

// Runs `action` in a forked child whose file-size limit is `bytes`, with
// SIGXFSZ ignored: a write past the limit then fails part-way with the
// system's error, as on a full disk. Returns the text the action returned
// ("exception: <what>" when it threw), or nothing when the child died.
#ifndef _WIN32
std::optional<QString> runWithFileSizeLimit(std::uint64_t bytes, const std::function<QString()> &action);
#endif

// As root, runs the current test again in a child as user nobody (root may
// write any file, so permission cases would show nothing) and reports its
// outcome as a failure of this test; returns true, and the caller returns.
// As any other user, returns false and the caller runs the case itself.
#ifdef _WIN32
// No superuser there whose rights pass over a read-only file.
inline bool rerunAsUnprivilegedUser() { return false; }
#else
bool rerunAsUnprivilegedUser();
#endif

} // namespace strovex::test
