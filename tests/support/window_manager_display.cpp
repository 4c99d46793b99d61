#include "support/window_manager_display.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace strovex::test {
namespace {

// Starts `args` with stdout and stderr on /dev/null, keeping `keepFd` open in it.
pid_t spawn(const std::vector<std::string> &args, int keepFd = -1)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    if (keepFd != -1)
        fcntl(keepFd, F_SETFD, 0);
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

void end(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

} // namespace

WindowManagerDisplay::WindowManagerDisplay(int width, int height)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error_ = QStringLiteral("no pipe");
        return;
    }
    // Xvfb writes the display number it took to the descriptor once it accepts clients.
    server_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                     std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp"},
                    fds[1]);
    close(fds[1]);
    std::string number;
    char c = 0;
    ssize_t got = 0;
    while ((got = read(fds[0], &c, 1)) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty()) {
        error_ = QStringLiteral("Xvfb did not start (is it installed?)");
        end(server_);
        server_ = -1;
        return;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    manager_ = spawn({"openbox", "--sm-disable"});
}

bool WindowManagerDisplay::managerRunning() const
{
    return manager_ > 0 && waitpid(manager_, nullptr, WNOHANG) == 0;
}

WindowManagerDisplay::~WindowManagerDisplay()
{
    end(manager_);
    end(server_);
}

} // namespace strovex::test
