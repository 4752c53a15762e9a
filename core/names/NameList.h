#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// An ordered list of names held compactly: all bytes in one buffer plus one offset per name.
// Millions of short names fit in a fraction of the memory a vector of strings takes.
class NameList {
public:
    NameList() { m_offsets.push_back(0); }

    std::size_t size() const { return m_offsets.size() - 1; }
    bool empty() const { return size() == 0; }
    std::string_view operator[](std::size_t index) const {
        return std::string_view(m_bytes).substr(m_offsets[index], m_offsets[index + 1] - m_offsets[index]);
    }
    std::string_view back() const { return (*this)[size() - 1]; }

    // Throws std::length_error when the list would exceed its 4 GiB byte capacity.
    void push_back(std::string_view name);
    void reserve(std::size_t names, std::size_t bytes);
    void clear();
    // Removes the names the predicate picks, keeping the order of the rest; returns their number.
    std::size_t eraseIf(const std::function<bool(std::string_view)>& pick);
    std::size_t byteSize() const { return m_bytes.size(); }
    // Every name's bytes, one after the other without separators.
    std::string_view bytes() const { return m_bytes; }

    // Stable sort by compareIgnoreCase (names equal but for letter case keep their order).
    void sortIgnoreCase();
    // The same sort, with the companion's names (one for each name, or none at all) moved along.
    void sortIgnoreCase(NameList& companion);
    bool isSortedIgnoreCase() const;

    std::vector<std::string> toVector() const;
    static NameList fromRange(const std::vector<std::string>& names);

    class Iterator {
    public:
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        Iterator() = default;
        Iterator(const NameList* list, std::size_t index) : m_list(list), m_index(index) {}
        std::string_view operator*() const { return (*m_list)[m_index]; }
        Iterator& operator++() {
            ++m_index;
            return *this;
        }
        Iterator operator++(int) {
            Iterator old = *this;
            ++m_index;
            return old;
        }
        bool operator==(const Iterator& other) const { return m_index == other.m_index; }

    private:
        const NameList* m_list = nullptr;
        std::size_t m_index = 0;
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }

private:
    NameList inOrder(const std::vector<std::uint32_t>& order) const;

    std::string m_bytes;
    std::vector<std::uint32_t> m_offsets;
};

} // namespace cvt
