#include "core/export/TextExport.h"

#include "core/export/EExportCancelled.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cvt {

namespace {

constexpr std::string_view kFieldEnd = "\t";
constexpr std::string_view kLineEnd = "\r\n";

[[noreturn]] void cannotCreate(const std::filesystem::path& fileName, int error) {
    throw ECreateFileError("Cannot create file \"" + fileName.string() + "\". " + std::strerror(error));
}

int retryOnInterrupt(auto call) {
    int result = 0;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// An open file descriptor, closed at the end of its scope.
class FileHandle {
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int get() const { return m_fd; }
    // Closes now and reports the failure of close (a late write error shows up there).
    int release() {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// The path the export replaces: symbolic links are followed (as far as the system would), so the
// file they point to is replaced and the links stay.
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

} // namespace

std::string ExportTextBytes(const ResultTableSnapshot& table) {
    std::string bytes;
    std::size_t size = kLineEnd.size();
    for (const std::string& caption : table.captions) {
        size += caption.size() + 1;
    }
    for (const ResultRow& row : table.rows) {
        size += row.caption.size() + 1 + kLineEnd.size();
        for (const std::string& cell : row.cells) {
            size += cell.size() + 1;
        }
    }
    bytes.reserve(size);
    for (const std::string& caption : table.captions) {
        bytes.append(caption).append(kFieldEnd);
    }
    bytes.append(kLineEnd);
    for (const ResultRow& row : table.rows) {
        bytes.append(row.caption).append(kFieldEnd);
        for (const std::string& cell : row.cells) {
            bytes.append(cell).append(kFieldEnd);
        }
        bytes.append(kLineEnd);
    }
    return bytes;
}

void WriteExportText(const ResultTableSnapshot& table, std::ostream& out) {
    const std::string bytes = ExportTextBytes(table);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ExportToText(const ResultTableSnapshot& table, const std::filesystem::path& fileName,
                  const std::atomic<bool>* cancel) {
    WriteExportFile(fileName, ExportTextBytes(table), cancel);
}

void WriteExportFile(const std::filesystem::path& fileName, std::string_view bytes, const std::atomic<bool>* cancel) {
    auto cancelled = [cancel] { return cancel != nullptr && cancel->load(std::memory_order_relaxed); };
    if (cancelled()) {
        throw EExportCancelled();
    }
    const std::filesystem::path target = resolvedTarget(fileName);

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a pipe (/dev/null, /dev/stdout) is written into, never replaced; a folder is
        // refused by open.
        FileHandle device(retryOnInterrupt([&] { return ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC); }));
        if (device.get() < 0 || writeAll(device.get(), bytes) != 0 || device.release() != 0) {
            cannotCreate(fileName, errno);
        }
        return;
    }
    if (exists) {
        // A file that could not be opened for writing (read-only) is refused as creating it over
        // would be; otherwise its permissions carry over to the replacement.
        const int probe = retryOnInterrupt([&] { return ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); });
        if (probe < 0) {
            cannotCreate(fileName, errno);
        }
        ::close(probe);
    }

    static std::atomic<unsigned> sequence{0};
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const std::filesystem::path temporary =
        folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                  std::to_string(sequence.fetch_add(1)) + ".tmp");
    const mode_t mode = exists ? (existing.st_mode & 07777) : 0666;
    FileHandle file(retryOnInterrupt(
        [&] { return ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<int>(mode)); }));
    if (file.get() < 0) {
        cannotCreate(fileName, errno);
    }
    auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        cannotCreate(fileName, error);
    };
    if (exists && ::fchmod(file.get(), mode) != 0) {
        fail(errno);
    }
    if (writeAll(file.get(), bytes) != 0) {
        fail(errno);
    }
    if (::fsync(file.get()) != 0 && errno != EINVAL && errno != EROFS) {
        fail(errno);
    }
    if (file.release() != 0) {
        fail(errno);
    }
    if (cancelled()) {
        ::unlink(temporary.c_str());
        throw EExportCancelled();
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        fail(errno);
    }
}

} // namespace cvt
