#include "core/names/NameList.h"

#include "text/TextUtil.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace cvt {

void NameList::push_back(std::string_view name) {
    if (m_bytes.size() + name.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("the name list is full");
    }
    m_bytes.append(name);
    m_offsets.push_back(static_cast<std::uint32_t>(m_bytes.size()));
}

void NameList::reserve(std::size_t names, std::size_t bytes) {
    m_offsets.reserve(names + 1);
    m_bytes.reserve(bytes);
}

void NameList::clear() {
    m_bytes.clear();
    m_offsets.assign(1, 0);
}

std::size_t NameList::eraseIf(const std::function<bool(std::string_view)>& pick) {
    std::size_t first = 0;
    while (first < size() && !pick((*this)[first])) {
        ++first;
    }
    if (first == size()) {
        return 0; // nothing to remove, nothing copied
    }
    NameList kept;
    kept.reserve(size(), m_bytes.size());
    for (std::size_t i = 0; i < first; ++i) {
        kept.push_back((*this)[i]);
    }
    std::size_t erased = 0;
    for (std::size_t i = first; i < size(); ++i) {
        if (pick((*this)[i])) {
            ++erased;
        } else {
            kept.push_back((*this)[i]);
        }
    }
    *this = std::move(kept);
    return erased;
}

bool NameList::isSortedIgnoreCase() const {
    for (std::size_t i = 1; i < size(); ++i) {
        if (compareIgnoreCase((*this)[i - 1], (*this)[i]) > 0) {
            return false;
        }
    }
    return true;
}

void NameList::sortIgnoreCase() {
    NameList none;
    sortIgnoreCase(none);
}

void NameList::sortIgnoreCase(NameList& companion) {
    if (isSortedIgnoreCase()) {
        return;
    }
    std::vector<std::uint32_t> order(size());
    std::iota(order.begin(), order.end(), 0U);
    std::stable_sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
        return compareIgnoreCase((*this)[a], (*this)[b]) < 0;
    });
    *this = inOrder(order);
    if (!companion.empty()) {
        companion = companion.inOrder(order);
    }
}

NameList NameList::inOrder(const std::vector<std::uint32_t>& order) const {
    NameList sorted;
    sorted.reserve(size(), m_bytes.size());
    for (const std::uint32_t index : order) {
        sorted.push_back((*this)[index]);
    }
    return sorted;
}

std::vector<std::string> NameList::toVector() const {
    std::vector<std::string> names;
    names.reserve(size());
    for (const std::string_view name : *this) {
        names.emplace_back(name);
    }
    return names;
}

NameList NameList::fromRange(const std::vector<std::string>& names) {
    NameList list;
    for (const auto& name : names) {
        list.push_back(name);
    }
    return list;
}

} // namespace cvt
