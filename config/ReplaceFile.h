#pragma once

#include "config/FileOps.h"

#include <filesystem>
#include <string_view>

namespace cvt {

// Replaces the content of a file (creating it when missing) so that it is never seen half
// written: the bytes go to a temporary file beside it, which is flushed to disk and then renamed
// over the target. A file reached through a symbolic link is replaced where it really lies. An
// existing file keeps its permission bits; a new one gets rw-r--r--. On any failure the temporary
// file is removed, the target is left as it was, and IniWriteError names the path given.
void replaceFile(const std::filesystem::path& path, std::string_view bytes, FileOps& ops = FileOps::system());

} // namespace cvt
