#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace cvt {

// The file an export writes, and how it is written. The name's symbolic links are followed, so the
// file they lead to is written and the links stay. A device or a pipe (/dev/null, /dev/stdout) is
// written into. Any other file is replaced whole: the bytes go to a temporary file beside it, which
// takes its place once complete, so a failure never leaves a half-written file; an existing file
// keeps its permission bits, and one this process may not write is refused, as creating it over
// would be. The temporary file's name is never longer than the target's when a longer one would
// pass the folder's limit. Failures raise ECreateFileError naming the file as given:
//   Cannot create file "<name>". <the system's reason>
class ExportFile {
public:
    explicit ExportFile(std::filesystem::path fileName);
    // Closes what is open and removes the temporary file unless it took the target's place.
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    // Whether the target is a device or a pipe, written into rather than replaced.
    bool writesInPlace() const { return m_inPlace; }

    // Checks that the file could be written now, leaving nothing behind: a device must be
    // writable; for any other file the temporary file is made in its folder and removed again.
    void check();

    // Opens the file for writing: the device itself, or a new temporary file. Returns the descriptor.
    int open();
    // The file open() opened, for a library that writes by name.
    const std::filesystem::path& writtenPath() const { return m_written; }
    // Flushes what was written to the disk and closes the descriptor (a late write error shows up
    // there).
    void close();
    // Puts the temporary file in the target's place (nothing to do for a device).
    void commit();

    // Raises the error for the system's error number.
    [[noreturn]] void fail(int error) const;

private:
    void removeTemporary();

    std::filesystem::path m_given;
    std::filesystem::path m_target;
    std::filesystem::path m_written;
    bool m_inPlace = false;
    bool m_folder = false;
    bool m_exists = false;
    mode_t m_mode = 0666;
    int m_fd = -1;
    bool m_temporaryMade = false;
};

// The name of a temporary file beside `target` for the tag (a few bytes that make it unique):
// "." + the target's name + "." + tag, or, where that would be longer than nameMax bytes, the
// target's name cut short enough (at a character boundary) for the result to be no longer than the
// target's name.
std::string temporaryNameBeside(const std::string& targetName, const std::string& tag, std::size_t nameMax);

} // namespace cvt
