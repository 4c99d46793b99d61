#include "support/child_process.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace strovex::test {
namespace {

bool dropToNobody()
{
    const passwd *user = ::getpwnam("nobody");
    if (!user)
        return false;
    gid_t group = user->pw_gid;
    if (const struct group *nogroup = ::getgrnam("nogroup"))
        group = nogroup->gr_gid;
    return ::setgroups(0, nullptr) == 0 && ::setgid(group) == 0 && ::setuid(user->pw_uid) == 0 && ::geteuid() != 0;
}

} // namespace

bool passesAsUnprivileged(const std::function<void()> &body)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        ADD_FAILURE() << "fork failed";
        return false;
    }
    if (child == 0) {
        int status = 0;
        if (::geteuid() == 0) {
            if (!dropToNobody()) {
                std::fprintf(stderr, "cannot become user nobody\n");
                std::fflush(nullptr);
                ::_exit(3);
            }
            if (::access(QFile::encodeName(QDir::tempPath()).constData(), W_OK | X_OK) != 0)
                qputenv("TMPDIR", "/tmp");
        }
        try {
            body();
            status = ::testing::Test::HasFailure() ? 1 : 0;
        } catch (...) {
            std::fprintf(stderr, "exception in the child process\n");
            status = 2;
        }
        std::fflush(nullptr);
        ::_exit(status);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace strovex::test
