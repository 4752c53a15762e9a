#pragma once

#include "config/FileOps.h"

#include <filesystem>
#include <string_view>

namespace cvt {

// Replaces the content of a file (creating it when missing) so that it is never seen half
// written: the bytes go to a temporary file beside it, which is flushed to disk and then renamed
// over the target. A file reached through a symbolic link is replaced where it really lies. An
// existing file keeps its permission bits, owner and group; a new one gets rw-r--r--. An existing
// file this process may not write is refused, even in a folder it may write. When a rename would
// change the file the user edits (it has other hard links, or its owner or group cannot be carried
// over), its content is rewritten in place instead. On any failure the temporary file is removed,
// the target is left as it was (an in-place rewrite stops where it failed), and IniWriteError names
// the path given.
void replaceFile(const std::filesystem::path& path, std::string_view bytes, FileOps& ops = FileOps::system());

} // namespace cvt
