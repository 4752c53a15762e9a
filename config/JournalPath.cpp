#include "config/JournalPath.h"

namespace cvt {

std::filesystem::path defaultJournalPath(const ConfigLocation& config) {
    if (config.kind == ConfigKind::Portable) {
        return config.path.parent_path() / kJournalFileName;
    }
    const std::filesystem::path state = xdgBaseDirectory("XDG_STATE_HOME", ".local/state");
    if (state.empty()) {
        return {};
    }
    return state / "corvantide" / kJournalFileName;
}

} // namespace cvt
