#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace cvt::fuzz {

// An input cut into fields at the byte 0x1F (unit separator), so that seeds stay readable and
// every other byte, NUL included, can appear in a field. Missing fields are empty.
class FieldReader {
public:
    FieldReader(const uint8_t* data, size_t size)
        : m_rest(size == 0 ? std::string_view() : std::string_view(reinterpret_cast<const char*>(data), size)) {}

    std::string_view next() {
        const size_t separator = m_rest.find('\x1F');
        const std::string_view field = m_rest.substr(0, separator);
        m_rest = separator == std::string_view::npos ? std::string_view() : m_rest.substr(separator + 1);
        return field;
    }
    // The first byte of the next field (0 when it is empty), for choices.
    unsigned char choice() {
        const std::string_view field = next();
        return field.empty() ? 0 : static_cast<unsigned char>(field.front());
    }
    // Everything not yet taken, separators included.
    std::string_view rest() const { return m_rest; }

private:
    std::string_view m_rest;
};

// A failed property: stops the run so that libFuzzer keeps the input.
inline void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace cvt::fuzz
