#include "tests/support/RunProgram.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace cvt::test {

namespace {

void closeIfOpen(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace

ProgramResult runProgram(const ProgramRun& run) {
    int outPipe[2];
    int errPipe[2];
    int inPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0 || ::pipe2(inPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot create pipes");
    }
    std::vector<std::string> argvStrings{run.program};
    argvStrings.insert(argvStrings.end(), run.args.begin(), run.args.end());
    std::vector<char*> argv;
    for (auto& arg : argvStrings) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("cannot start a program");
    }
    if (pid == 0) {
        ::dup2(inPipe[0], 0);
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        if (!run.workingDirectory.empty() && ::chdir(run.workingDirectory.c_str()) != 0) {
            ::_exit(126);
        }
        ::execv(run.program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(inPipe[0]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    int inFd = inPipe[1];
    int outFd = outPipe[0];
    int errFd = errPipe[0];
    ::signal(SIGPIPE, SIG_IGN);

    ProgramResult result;
    std::size_t inputSent = 0;
    if (run.input.empty()) {
        closeIfOpen(inFd);
    }
    char buffer[65536];
    while (outFd >= 0 || errFd >= 0) {
        pollfd fds[3] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}, {inFd, POLLOUT, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (int i = 0; i < 2; ++i) {
            int& fd = i == 0 ? outFd : errFd;
            if (fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                const ssize_t got = ::read(fd, buffer, sizeof buffer);
                if (got > 0) {
                    (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
                } else if (got == 0 || errno != EINTR) {
                    closeIfOpen(fd);
                }
            }
        }
        if (inFd >= 0 && (fds[2].revents & (POLLOUT | POLLHUP | POLLERR)) != 0) {
            const ssize_t sent = ::write(inFd, run.input.data() + inputSent, run.input.size() - inputSent);
            if (sent > 0) {
                inputSent += static_cast<std::size_t>(sent);
            }
            if ((sent < 0 && errno != EINTR) || inputSent == run.input.size()) {
                closeIfOpen(inFd);
            }
        }
    }
    closeIfOpen(inFd);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace cvt::test
