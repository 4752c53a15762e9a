#include "config/DataFolders.h"

#include "config/ConfigPath.h"

#include <system_error>

namespace cvt {

std::vector<std::filesystem::path> dataFolders() {
    std::vector<std::filesystem::path> folders{"."};
    const std::filesystem::path user = xdgBaseDirectory("XDG_DATA_HOME", ".local/share");
    if (!user.empty()) {
        folders.push_back(user / "corvantide");
    }
    folders.push_back(installedDataDirectory());
    return folders;
}

std::filesystem::path folderHolding(std::string_view name, const std::vector<std::filesystem::path>& folders) {
    for (const std::filesystem::path& folder : folders) {
        std::error_code error;
        if (std::filesystem::exists(folder / name, error)) {
            return folder;
        }
    }
    return folders.empty() ? std::filesystem::path(".") : folders.front();
}

std::filesystem::path dataFolderHolding(std::string_view name) {
    return folderHolding(name, dataFolders());
}

} // namespace cvt
