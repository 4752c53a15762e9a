#pragma once

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

namespace cvt {

// Opens a file with the program the desktop associates with it, by starting the opener program
// ("xdg-open" by default) with the file as its only argument, without a shell. The opener is given
// a short while to report: an exit status other than 0 (no program for the file, or it failed) is
// an EWorkbookError, as is an opener that cannot be started. An opener still running after that while
// (it waits for the program it started) is left to run; collectFinished reaps it once it has ended
// and names its file when it ended in a failure.
class DesktopOpener {
public:
    explicit DesktopOpener(std::string program = "xdg-open",
                           std::chrono::milliseconds patience = std::chrono::milliseconds(2000));
    ~DesktopOpener();
    DesktopOpener(const DesktopOpener&) = delete;
    DesktopOpener& operator=(const DesktopOpener&) = delete;

    void open(const std::filesystem::path& file);

    // Reaps the openers left running that have ended since: the files of those that failed.
    std::vector<std::filesystem::path> collectFinished();
    // True while an opener left running has not been reaped.
    bool hasRunning();

private:
    struct Running {
        pid_t child = 0;
        std::filesystem::path file;
    };
    std::vector<std::filesystem::path> reapFinished();

    std::string m_program;
    std::chrono::milliseconds m_patience;
    std::mutex m_mutex;
    std::vector<Running> m_running;
};

} // namespace cvt
