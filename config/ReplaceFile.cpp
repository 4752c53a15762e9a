#include "config/ReplaceFile.h"

#include "config/IniError.h"

#include <string>
#include <sys/stat.h>
#include <system_error>

namespace cvt {

namespace {

bool writeAll(FileOps& ops, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = retryInterrupted([&] { return ops.write(fd, bytes.data(), bytes.size()); });
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

void replaceFile(const std::filesystem::path& path, std::string_view bytes, FileOps& ops) {
    std::filesystem::path target = path;
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
        if (!error) {
            target = resolved;
        }
    }
    mode_t mode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    }

    const std::filesystem::path directory = target.has_parent_path() ? target.parent_path() : ".";
    std::string temporary = (directory / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ops.makeTemp(temporary);
    if (fd < 0) {
        throw IniWriteError(path.string());
    }
    bool ok = writeAll(ops, fd, bytes);
    ok = ok && ops.changeMode(fd, mode) == 0;
    ok = ok && retryInterrupted([&] { return ops.sync(fd); }) == 0;
    // A failed close can mean the data never reached the disk.
    ok = (ops.close(fd) == 0) && ok;
    ok = ok && ops.rename(temporary, target.string()) == 0;
    if (!ok) {
        ops.unlink(temporary);
        throw IniWriteError(path.string());
    }
}

} // namespace cvt
