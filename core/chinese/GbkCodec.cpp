#include "core/chinese/GbkCodec.h"

#include <vector>

namespace cvt::gbk {

namespace {

struct Tables {
    std::vector<char32_t> codePoints; // by slot
    std::vector<std::uint16_t> codes; // by code point of the Basic Multilingual Plane
};

Tables buildTables() {
    Tables tables;
    tables.codePoints.assign(kSlotCount, 0);
    tables.codes.assign(0x10000, 0);
    std::int64_t previous = 0;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        const std::int32_t delta = kCodePointDeltas[slot];
        if (delta == 0) {
            continue;
        }
        previous += delta;
        const auto codePoint = static_cast<char32_t>(previous);
        tables.codePoints[slot] = codePoint;
        const auto lead = static_cast<unsigned>(kLeadFirst + slot / kTrailsPerLead);
        const auto trail = static_cast<unsigned>(kTrailFirst + slot % kTrailsPerLead);
        if (codePoint < tables.codes.size() && tables.codes[codePoint] == 0) {
            tables.codes[codePoint] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
    }
    return tables;
}

const Tables& tables() {
    static const Tables instance = buildTables();
    return instance;
}

constexpr bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

} // namespace

char32_t codePointOf(std::uint16_t code) {
    const unsigned lead = code >> 8;
    const unsigned trail = code & 0xFF;
    return isSlot(lead, trail) ? tables().codePoints[slotIndex(lead, trail)] : 0;
}

std::uint16_t codeOf(char32_t codePoint) {
    const auto& codes = tables().codes;
    return codePoint < codes.size() ? codes[codePoint] : 0;
}

bool Utf8Reader::next(char32_t& codePoint) {
    const std::size_t left = m_text.size() - m_position;
    const auto byte = [&](std::size_t offset) { return static_cast<unsigned char>(m_text[m_position + offset]); };
    if (left == 0) {
        return false;
    }
    const unsigned char first = byte(0);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (first < 0x80) {
        codePoint = first;
        ++m_position;
        return true;
    } else if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
        value = first & 0x1F;
        minimum = 0x80;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        value = first & 0x0F;
        minimum = 0x800;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        value = first & 0x07;
        minimum = 0x10000;
    } else {
        return false;
    }
    if (left < length) {
        return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(byte(i))) {
            return false;
        }
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return false;
    }
    codePoint = value;
    m_position += length;
    return true;
}

bool isValidUtf8(std::string_view text) {
    Utf8Reader reader(text);
    char32_t codePoint = 0;
    while (!reader.atEnd()) {
        if (!reader.next(codePoint)) {
            return false;
        }
    }
    return true;
}

namespace {

// Every byte from 0x81 up starts a double-byte code that GBK assigns.
bool isWellFormedGbk(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            continue;
        }
        if (i + 1 >= bytes.size()) {
            return false;
        }
        const auto trail = static_cast<unsigned char>(bytes[++i]);
        if (!isSlot(lead, trail) || codePointOf(static_cast<std::uint16_t>(lead << 8 | trail)) == 0) {
            return false;
        }
    }
    return true;
}

} // namespace

void EncodingVote::add(std::string_view piece) {
    if (m_wellFormedGbk && !isWellFormedGbk(piece)) {
        m_wellFormedGbk = false;
    }
    if (!m_validUtf8) {
        return;
    }
    Utf8Reader reader(piece);
    char32_t codePoint = 0;
    while (!reader.atEnd()) {
        if (!reader.next(codePoint)) {
            m_validUtf8 = false;
            return;
        }
        if (codePoint >= 0x800) {
            m_longUtf8 = true;
        } else if (codePoint >= 0x80 && codeOf(codePoint) == 0) {
            m_allInGbk = false;
        }
    }
}

TextEncoding EncodingVote::result() const {
    if (!m_validUtf8) {
        return TextEncoding::Gbk;
    }
    if (m_longUtf8 || m_allInGbk) {
        return TextEncoding::Utf8;
    }
    return m_wellFormedGbk ? TextEncoding::Gbk : TextEncoding::Utf8;
}

TextEncoding detectEncoding(std::string_view wholeText) {
    EncodingVote vote;
    vote.add(wholeText);
    return vote.result();
}

std::string utf8ToGbk(std::string_view text) {
    if (!isValidUtf8(text)) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    Utf8Reader reader(text);
    char32_t codePoint = 0;
    while (reader.next(codePoint)) {
        if (codePoint < 0x80) {
            result += static_cast<char>(codePoint);
        } else if (const std::uint16_t code = codeOf(codePoint); code != 0) {
            result += static_cast<char>(code >> 8);
            result += static_cast<char>(code & 0xFF);
        }
    }
    return result;
}

} // namespace cvt::gbk
