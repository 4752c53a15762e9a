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

namespace {

// What one piece of text holds, as the vote weighs it.
struct PieceTraits {
    bool validUtf8 = true;
    bool longUtf8 = false;    // a character of three or four bytes
    bool twoByteUtf8 = false; // a character of two bytes
    bool greek = false;
    bool allInGbk = true;
    bool wellFormedGbk = true;
};

PieceTraits traitsOf(std::string_view piece) {
    PieceTraits traits;
    traits.wellFormedGbk = isWellFormedGbk(piece);
    Utf8Reader reader(piece);
    char32_t codePoint = 0;
    while (!reader.atEnd()) {
        if (!reader.next(codePoint)) {
            traits.validUtf8 = false;
            break;
        }
        if (codePoint >= 0x800) {
            traits.longUtf8 = true;
        } else if (codePoint >= 0x80) {
            traits.twoByteUtf8 = true;
            traits.greek = traits.greek || (codePoint >= 0x391 && codePoint <= 0x3C9);
            traits.allInGbk = traits.allInGbk && codeOf(codePoint) != 0;
        }
    }
    return traits;
}

// Chinese text of two-byte characters only that GBK reads as Chinese characters.
bool readsAsChinese(const PieceTraits& traits) {
    return traits.validUtf8 && !traits.longUtf8 && traits.twoByteUtf8 && !traits.greek && traits.wellFormedGbk;
}

bool looksGbk(const PieceTraits& traits, TextKind kind) {
    return !traits.validUtf8 || (kind == TextKind::ChineseText && readsAsChinese(traits));
}

} // namespace

void EncodingVote::add(std::string_view piece) {
    const PieceTraits traits = traitsOf(piece);
    m_gbkPieceCount += looksGbk(traits, m_kind) ? 1 : 0;
    m_invalidUtf8 = m_invalidUtf8 || !traits.validUtf8;
    m_longUtf8Pieces += traits.validUtf8 && traits.longUtf8 ? 1 : 0;
    m_longUtf8 = m_longUtf8 || (traits.validUtf8 && traits.longUtf8);
    m_twoByteUtf8 = m_twoByteUtf8 || traits.twoByteUtf8;
    m_greek = m_greek || traits.greek;
    m_allInGbk = m_allInGbk && traits.allInGbk;
    m_wellFormedGbk = m_wellFormedGbk && traits.wellFormedGbk;
}

TextEncoding EncodingVote::result() const {
    if (m_invalidUtf8) {
        return TextEncoding::Gbk;
    }
    if (m_longUtf8 || !m_twoByteUtf8 || !m_wellFormedGbk) {
        return TextEncoding::Utf8;
    }
    if (m_kind == TextKind::ChineseText && !m_greek) {
        return TextEncoding::Gbk;
    }
    return m_allInGbk ? TextEncoding::Utf8 : TextEncoding::Gbk;
}

TextEncoding EncodingVote::encodingOf(std::string_view piece) const {
    if (!mixed()) {
        return result();
    }
    return looksGbk(traitsOf(piece), m_kind) ? TextEncoding::Gbk : TextEncoding::Utf8;
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

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | codePoint >> 6);
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | codePoint >> 12);
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | codePoint >> 18);
        out += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool gbkToUtf8(std::string_view bytes, std::string& out) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            continue;
        }
        if (i + 1 >= bytes.size()) {
            return false;
        }
        const auto trail = static_cast<unsigned char>(bytes[++i]);
        const char32_t codePoint = codePointOf(static_cast<std::uint16_t>(lead << 8 | trail));
        if (codePoint == 0) {
            return false;
        }
        appendUtf8(out, codePoint);
    }
    return true;
}

} // namespace cvt::gbk
