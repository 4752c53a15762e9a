#include "config/ReplaceFile.h"

#include "config/IniError.h"

#include <fstream>
#include <iterator>
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

// Writes the whole content into the open file from its start and cuts it there.
bool writeFromStart(FileOps& ops, const std::filesystem::path& target, std::string_view bytes) {
    const int fd = retryInterrupted([&] { return ops.openExisting(target.string()); });
    if (fd < 0) {
        return false;
    }
    bool ok = writeAll(ops, fd, bytes);
    ok = ok && retryInterrupted([&] { return ops.truncate(fd, static_cast<off_t>(bytes.size())); }) == 0;
    ok = ok && retryInterrupted([&] { return ops.sync(fd); }) == 0;
    return (ops.close(fd) == 0) && ok;
}

// The file keeps its inode: written where it lies. A write that fails part way puts the old content
// back as well as it can, so the user's file is not left cut short.
void rewriteInPlace(const std::filesystem::path& target, std::string_view bytes, FileOps& ops,
                    const std::filesystem::path& shownPath) {
    std::ifstream in(target, std::ios::binary);
    const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const bool oldKnown = in.is_open() && !in.bad();
    if (!writeFromStart(ops, target, bytes)) {
        if (oldKnown) {
            writeFromStart(ops, target, old);
        }
        throw IniWriteError(shownPath.string());
    }
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
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        mode = existing.st_mode & 07777;
        // A read-only file stays read-only, although the folder would let a rename replace it.
        if (ops.checkWritable(target.string()) != 0) {
            throw IniWriteError(path.string());
        }
        if (existing.st_nlink > 1) {
            rewriteInPlace(target, bytes, ops, path);
            return;
        }
    }

    const std::filesystem::path directory = target.has_parent_path() ? target.parent_path() : ".";
    std::string temporary = (directory / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ops.makeTemp(temporary);
    if (fd < 0) {
        throw IniWriteError(path.string());
    }
    if (exists) {
        struct stat made {};
        const bool sameOwner =
            ::fstat(fd, &made) == 0 && made.st_uid == existing.st_uid && made.st_gid == existing.st_gid;
        if (!sameOwner && ops.changeOwner(fd, existing.st_uid, existing.st_gid) != 0) {
            // Only the superuser hands a file to another owner: keep the user's file instead.
            ops.close(fd);
            ops.unlink(temporary);
            rewriteInPlace(target, bytes, ops, path);
            return;
        }
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
