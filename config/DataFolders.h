#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace cvt {

// The folders data files such as the dictionaries and the suffix catalogue are looked for in, in
// order: the current folder, $XDG_DATA_HOME/corvantide (default ~/.local/share/corvantide), then the
// installed data folder beside the program (../share/corvantide).
std::vector<std::filesystem::path> dataFolders();

// The first of folders that holds a file called name. When none does, the first folder, so that a
// missing file is reported as missing from there.
std::filesystem::path folderHolding(std::string_view name, const std::vector<std::filesystem::path>& folders);

// folderHolding(name, dataFolders()).
std::filesystem::path dataFolderHolding(std::string_view name);

} // namespace cvt
