#include "config/FileOps.h"

#include <cstdio>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cvt {

int FileOps::makeTemp(std::string& pathTemplate) {
    return ::mkstemp(pathTemplate.data());
}

ssize_t FileOps::write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

int FileOps::sync(int fd) {
    return ::fsync(fd);
}

int FileOps::changeMode(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}

int FileOps::close(int fd) {
    return ::close(fd);
}

int FileOps::rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str());
}

int FileOps::unlink(const std::string& path) {
    return ::unlink(path.c_str());
}

int FileOps::checkWritable(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS);
}

int FileOps::openExisting(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
}

int FileOps::truncate(int fd, off_t size) {
    return ::ftruncate(fd, size);
}

int FileOps::changeOwner(int fd, uid_t owner, gid_t group) {
    return ::fchown(fd, owner, group);
}

FileOps& FileOps::system() {
    static FileOps ops;
    return ops;
}

} // namespace cvt
