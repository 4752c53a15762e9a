#include "core/export/ExportFile.h"

#include "core/export/TextExport.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cvt {

namespace {

constexpr std::size_t kDefaultNameMax = 255;
constexpr int kNameAttempts = 100;

int retryOnInterrupt(auto call) {
    int result = 0;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// The file a name leads to once its symbolic links are followed (as far as the system would).
std::filesystem::path resolvedTarget(const std::filesystem::path& fileName) {
    std::filesystem::path target = fileName;
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code error;
        if (!std::filesystem::is_symlink(target, error)) {
            break;
        }
        const std::filesystem::path next = std::filesystem::read_symlink(target, error);
        if (error) {
            break;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

std::size_t nameMaxOf(const std::filesystem::path& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : kDefaultNameMax;
}

} // namespace

std::string temporaryNameBeside(const std::string& targetName, const std::string& tag, std::size_t nameMax) {
    const std::string full = "." + targetName + "." + tag;
    if (full.size() <= nameMax) {
        return full;
    }
    std::size_t keep = targetName.size() > tag.size() + 2 ? targetName.size() - tag.size() - 2 : 0;
    // A UTF-8 character is kept whole or not at all.
    while (keep > 0 && (static_cast<unsigned char>(targetName[keep]) & 0xC0) == 0x80) {
        --keep;
    }
    return "." + targetName.substr(0, keep) + "." + tag;
}

ExportFile::ExportFile(std::filesystem::path fileName) : m_given(std::move(fileName)) {
    // stat follows every link the way open will, /dev/stdout's to a pipe included.
    struct stat reached {};
    if (::stat(m_given.c_str(), &reached) == 0 && !S_ISREG(reached.st_mode)) {
        // A device or a pipe is written into, never replaced; a folder is refused by open.
        m_inPlace = true;
        m_folder = S_ISDIR(reached.st_mode);
        m_target = m_given;
        m_written = m_given;
        return;
    }
    m_target = resolvedTarget(m_given);
    struct stat existing {};
    m_exists = ::stat(m_target.c_str(), &existing) == 0;
    if (m_exists) {
        m_mode = existing.st_mode & 07777;
    }
}

ExportFile::~ExportFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    removeTemporary();
}

void ExportFile::removeTemporary() {
    if (m_temporaryMade) {
        ::unlink(m_written.c_str());
        m_temporaryMade = false;
    }
}

void ExportFile::fail(int error) const {
    throw ECreateFileError("Cannot create file \"" + m_given.string() + "\". " + std::strerror(error));
}

void ExportFile::check() {
    if (m_folder) {
        fail(EISDIR);
    }
    if (m_inPlace) {
        if (::faccessat(AT_FDCWD, m_written.c_str(), W_OK, AT_EACCESS) != 0) {
            fail(errno);
        }
        return;
    }
    open();
    ::close(m_fd);
    m_fd = -1;
    removeTemporary();
}

int ExportFile::open() {
    if (m_inPlace) {
        m_fd = retryOnInterrupt([&] { return ::open(m_written.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC); });
        if (m_fd < 0) {
            fail(errno);
        }
        return m_fd;
    }
    if (m_exists) {
        // A file that could not be opened for writing (read-only) is refused as creating it over
        // would be.
        const int probe = retryOnInterrupt([&] { return ::open(m_target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); });
        if (probe < 0) {
            fail(errno);
        }
        ::close(probe);
    }
    static std::atomic<unsigned> sequence{0};
    const std::filesystem::path folder = m_target.has_parent_path() ? m_target.parent_path() : ".";
    const std::size_t nameMax = nameMaxOf(folder);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string tag = std::to_string(::getpid()) + "-" + std::to_string(sequence.fetch_add(1)) + ".tmp";
        m_written = folder / temporaryNameBeside(m_target.filename().string(), tag, nameMax);
        m_fd = retryOnInterrupt([&] {
            return ::open(m_written.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<int>(m_mode));
        });
        if (m_fd >= 0 || errno != EEXIST) {
            break;
        }
    }
    if (m_fd < 0) {
        fail(errno);
    }
    m_temporaryMade = true;
    // The mode given to open lost the bits the umask holds.
    if (m_exists && ::fchmod(m_fd, m_mode) != 0) {
        fail(errno);
    }
    return m_fd;
}

void ExportFile::close() {
    if (!m_inPlace && ::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) {
        fail(errno);
    }
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0) {
        fail(errno);
    }
}

void ExportFile::commit() {
    if (m_inPlace) {
        return;
    }
    if (std::rename(m_written.c_str(), m_target.c_str()) != 0) {
        fail(errno);
    }
    m_temporaryMade = false;
}

} // namespace cvt
