#include "tests/support/Unprivileged.h"

#include <cerrno>
#include <exception>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cvt::test {

namespace {

void writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        done += static_cast<std::size_t>(written);
    }
}

} // namespace

std::string runUnprivileged(const std::function<std::string()>& check) {
    if (::geteuid() != 0) {
        return check();
    }
    int fds[2];
    if (::pipe(fds) != 0) {
        return "cannot make a pipe for the unprivileged child";
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return "cannot fork the unprivileged child";
    }
    if (pid == 0) {
        ::close(fds[0]);
        std::string result;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 || ::setuid(kUnprivilegedId) != 0 ||
            ::geteuid() == 0) {
            result = "the child could not drop its privileges";
        } else {
            try {
                result = check();
            } catch (const std::exception& error) {
                result = std::string("unexpected exception: ") + error.what();
            }
        }
        writeAll(fds[1], result);
        ::close(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string result;
    char buffer[512];
    for (;;) {
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        result.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "the unprivileged child died" + (result.empty() ? std::string() : ": " + result);
    }
    return result;
}

} // namespace cvt::test
