#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

namespace cvt {

// The file system calls that saving a file makes, one thin layer so tests can make any of them
// fail, write short or be interrupted. Each returns what the system call returns (-1 and errno set
// on failure). The base class makes the real calls.
class FileOps {
public:
    virtual ~FileOps() = default;

    // mkstemp: pathTemplate ends in "XXXXXX", replaced by the name made.
    virtual int makeTemp(std::string& pathTemplate);
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual int sync(int fd);
    virtual int changeMode(int fd, mode_t mode);
    virtual int close(int fd);
    virtual int rename(const std::string& from, const std::string& to);
    virtual int unlink(const std::string& path);
    // faccessat(W_OK) with the effective ids: whether this process may write the file.
    virtual int checkWritable(const std::string& path);
    // open(O_WRONLY) of an existing file, for writing it in place.
    virtual int openExisting(const std::string& path);
    virtual int truncate(int fd, off_t size);
    virtual int changeOwner(int fd, uid_t owner, gid_t group);

    // The real calls.
    static FileOps& system();
};

// Calls the operation again for as long as it fails with EINTR.
template <typename Operation>
auto retryInterrupted(Operation&& operation) -> decltype(operation());

} // namespace cvt

#include <cerrno>

template <typename Operation>
auto cvt::retryInterrupted(Operation&& operation) -> decltype(operation()) {
    for (;;) {
        auto result = operation();
        if (!(result == -1 && errno == EINTR)) {
            return result;
        }
    }
}
