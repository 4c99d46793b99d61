#include "support/child_process.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace strovex::test {

std::optional<QString> runWithFileSizeLimit(std::uint64_t bytes, const std::function<QString()> &action)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        ::close(fds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = rlim_t(bytes);
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(2);
        QByteArray text;
        try {
            text = action().toUtf8();
        } catch (const std::exception &e) {
            text = QByteArray("exception: ") + e.what();
        }
        // A pipe is not a file: the limit does not apply to it.
        for (qsizetype done = 0; done < text.size();) {
            const ssize_t n = ::write(fds[1], text.constData() + done, size_t(text.size() - done));
            if (n <= 0)
                ::_exit(3);
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        text.append(buffer, n);
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return QString::fromUtf8(text);
}

bool rerunAsUnprivilegedUser()
{
    if (::geteuid() != 0)
        return false;
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString filter = QStringLiteral("--gtest_filter=%1.%2").arg(QString::fromUtf8(test->test_suite_name()),
                                                                       QString::fromUtf8(test->name()));
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Root's own temporary folder may be closed to others.
    environment.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(QStringLiteral("/"));
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                            QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                                            filter});
    const bool finished = child.waitForFinished(120000);
    const QByteArray output = child.readAll();
    EXPECT_TRUE(finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
        << "as user nobody:\n" << output.toStdString();
    // A filter that matched nothing, or a skip, would pass without running the case.
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.") && !output.contains("[  SKIPPED ]"))
        << "as user nobody:\n" << output.toStdString();
    return true;
}

} // namespace strovex::test
