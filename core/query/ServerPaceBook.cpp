#include "core/query/ServerPaceBook.h"

#include "core/query/QueryLane.h"

namespace cvt {

ServerPace& ServerPaceBook::of(std::string_view serverField) {
    std::lock_guard lock(m_mutex);
    return m_paces[laneKey(serverField)];
}

void ServerPaceBook::clear() {
    std::lock_guard lock(m_mutex);
    m_paces.clear();
}

} // namespace cvt
