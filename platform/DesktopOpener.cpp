#include "platform/DesktopOpener.h"

#include "platform/EWorkbookError.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace cvt {

namespace {

// waitpid without blocking, retried when a signal interrupts it: the child's pid when it has
// ended (status filled in), 0 while it runs, -1 when it is not ours (any more).
pid_t pollChild(pid_t child, int& status) {
    pid_t result = 0;
    do {
        result = ::waitpid(child, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    return result;
}

bool succeeded(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

DesktopOpener::DesktopOpener(std::string program, std::chrono::milliseconds patience)
    : m_program(std::move(program)), m_patience(patience) {}

DesktopOpener::~DesktopOpener() {
    std::lock_guard lock(m_mutex);
    reapFinished();
}

void DesktopOpener::open(const std::filesystem::path& file) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
#ifdef POSIX_SPAWN_SETSID
    // Its own session, so that an interrupt typed at our terminal does not reach the spreadsheet.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
#endif
    std::string program = m_program;
    std::string argument = file.string();
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, program.c_str(), nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        throw EWorkbookError("No program to open \"" + argument + "\": cannot start " + m_program + ": " +
                             std::strerror(spawned));
    }

    const auto deadline = std::chrono::steady_clock::now() + m_patience;
    for (;;) {
        int status = 0;
        const pid_t ended = pollChild(child, status);
        if (ended == child) {
            if (succeeded(status)) {
                return;
            }
            const std::string how = WIFEXITED(status) ? "exited with status " + std::to_string(WEXITSTATUS(status))
                                                      : "ended by signal " + std::to_string(WTERMSIG(status));
            throw EWorkbookError("No program could open \"" + argument + "\": " + m_program + " " + how);
        }
        if (ended < 0) {
            return; // someone else collected it; nothing more to learn
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            std::lock_guard lock(m_mutex);
            m_running.push_back({child, file});
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::vector<std::filesystem::path> DesktopOpener::collectFinished() {
    std::lock_guard lock(m_mutex);
    return reapFinished();
}

bool DesktopOpener::hasRunning() {
    std::lock_guard lock(m_mutex);
    return !m_running.empty();
}

std::vector<std::filesystem::path> DesktopOpener::reapFinished() {
    std::vector<std::filesystem::path> failed;
    std::erase_if(m_running, [&failed](const Running& running) {
        int status = 0;
        const pid_t ended = pollChild(running.child, status);
        if (ended == running.child && !succeeded(status)) {
            failed.push_back(running.file);
        }
        // -1: collected elsewhere, nothing more to learn.
        return ended != 0;
    });
    return failed;
}

} // namespace cvt
