#pragma once
// Runs part of a test in a forked child process: for permissions, which do not
// bind the superuser that CI runs as, and for what must outlive a process.

#include <functional>

namespace strovex::test {

// Runs `body` in a forked child and waits for it. When this process is the
// superuser, the child first drops to user nobody (group nogroup, no
// supplementary groups) and takes /tmp as its temporary folder where the one
// given is closed to it. True when the child ended normally with no failed
// expectation; the child prints its own failures.
bool passesAsUnprivileged(const std::function<void()> &body);

} // namespace strovex::test
