#include "text/IdnName.h"

#include "text/AskedPart.h"

#include <algorithm>
#include <idn2.h>
#include <unicode/uscript.h>
#include <unicode/uspoof.h>
#include <unicode/utf8.h>

namespace cvt {

namespace {

constexpr int kFlags = IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL;

// ICU's spoof checks. Scripts a label may mix: one script, or Latin with Han and the Japanese or
// Korean scripts (qq音乐); Latin with Cyrillic (a Cyrillic а in paypal) or digits of two systems are
// refused. Look-alikes: see lookAlike. The checker is only read once set up, which ICU allows from
// any thread.
class ScriptCheck {
public:
    ScriptCheck() {
        UErrorCode status = U_ZERO_ERROR;
        m_checker = uspoof_open(&status);
        uspoof_setChecks(m_checker, USPOOF_RESTRICTION_LEVEL | USPOOF_MIXED_NUMBERS | USPOOF_INVISIBLE, &status);
        uspoof_setRestrictionLevel(m_checker, USPOOF_HIGHLY_RESTRICTIVE);
        if (U_FAILURE(status)) {
            uspoof_close(m_checker);
            m_checker = nullptr;
        }
    }
    ~ScriptCheck() { uspoof_close(m_checker); }
    ScriptCheck(const ScriptCheck&) = delete;
    ScriptCheck& operator=(const ScriptCheck&) = delete;

    // Why the labels of a Unicode name fail the check, or "" when none does.
    std::string refusal(std::string_view name) const {
        if (m_checker == nullptr) {
            return "the script check is not available";
        }
        for (std::size_t start = 0; start <= name.size();) {
            const std::size_t dot = std::min(name.find('.', start), name.size());
            const std::string_view label = name.substr(start, dot - start);
            UErrorCode status = U_ZERO_ERROR;
            if (IdnName::isInternational(label) &&
                (uspoof_checkUTF8(m_checker, label.data(), static_cast<int32_t>(label.size()), nullptr, &status) != 0 ||
                 U_FAILURE(status))) {
                return "the label " + std::string(label) + " mixes scripts or digits that are not used together";
            }
            start = dot + 1;
        }
        return {};
    }

    // Why a label of a Unicode name written in one script other than Latin and Han (and the
    // characters common to all scripts) looks like an ASCII label, or "" when none does: its
    // confusable skeleton, the form ICU brings look-alike characters to, is plain ASCII.
    std::string lookAlike(std::string_view name) const {
        if (m_checker == nullptr) {
            return "the script check is not available";
        }
        for (std::size_t start = 0; start <= name.size();) {
            const std::size_t dot = std::min(name.find('.', start), name.size());
            const std::string_view label = name.substr(start, dot - start);
            const UScriptCode script = soleScript(label);
            if (script != USCRIPT_COMMON && IdnName::isInternational(label) &&
                !IdnName::isInternational(skeleton(label))) {
                const char* scriptName = uscript_getName(script);
                return "the label " + std::string(label) + " is written in " +
                       (scriptName != nullptr ? scriptName : "one script's") + " letters that look like Latin ones";
            }
            start = dot + 1;
        }
        return {};
    }

private:
    // The one script of a label's letters; Common when it has none, holds Latin or Han, or mixes.
    static UScriptCode soleScript(std::string_view label) {
        UScriptCode sole = USCRIPT_COMMON;
        const auto length = static_cast<int32_t>(label.size());
        for (int32_t i = 0; i < length;) {
            UChar32 c = 0;
            U8_NEXT(label.data(), i, length, c);
            UErrorCode status = U_ZERO_ERROR;
            const UScriptCode script = c < 0 ? USCRIPT_INVALID_CODE : uscript_getScript(c, &status);
            if (script == USCRIPT_COMMON || script == USCRIPT_INHERITED) {
                continue;
            }
            if (U_FAILURE(status) || script == USCRIPT_INVALID_CODE || script == USCRIPT_LATIN ||
                script == USCRIPT_HAN || (sole != USCRIPT_COMMON && script != sole)) {
                return USCRIPT_COMMON;
            }
            sole = script;
        }
        return sole;
    }

    // The label with each character brought to the prototype of its look-alikes; a failure gives
    // the label itself, which is not plain ASCII here.
    std::string skeleton(std::string_view label) const {
        std::string skeleton(label.size() * 2, '\0');
        for (int attempt = 0; attempt < 2; ++attempt) {
            UErrorCode status = U_ZERO_ERROR;
            const int32_t length =
                uspoof_getSkeletonUTF8(m_checker, 0, label.data(), static_cast<int32_t>(label.size()), skeleton.data(),
                                       static_cast<int32_t>(skeleton.size()), &status);
            if (U_SUCCESS(status)) {
                skeleton.resize(static_cast<std::size_t>(length));
                return skeleton;
            }
            if (status != U_BUFFER_OVERFLOW_ERROR) {
                break;
            }
            skeleton.resize(static_cast<std::size_t>(length));
        }
        return std::string(label);
    }

    USpoofChecker* m_checker = nullptr;
};

const ScriptCheck& scriptCheck() {
    static const ScriptCheck check;
    return check;
}

IdnConversion refusalOf(int code) {
    return {std::string(), idn2_strerror(code), std::string()};
}

IdnConversion taken(char* converted) {
    IdnConversion result{converted, std::string(), std::string()};
    idn2_free(converted);
    return result;
}

} // namespace

bool IdnName::isInternational(std::string_view name) {
    return std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

bool IdnName::hasALabel(std::string_view name) {
    for (std::size_t start = 0; start <= name.size();) {
        const std::size_t dot = std::min(name.find('.', start), name.size());
        const std::string_view label = name.substr(start, dot - start);
        if (label.size() > 4 && (label[0] == 'x' || label[0] == 'X') && (label[1] == 'n' || label[1] == 'N') &&
            label[2] == '-' && label[3] == '-') {
            return true;
        }
        start = dot + 1;
    }
    return false;
}

IdnConversion IdnName::toAscii(std::string_view name) {
    if (name.find('\0') != std::string_view::npos) {
        return refusalOf(IDN2_DISALLOWED);
    }
    const std::string terminated(name);
    char* converted = nullptr;
    if (const int code = idn2_to_ascii_8z(terminated.c_str(), &converted, kFlags); code != IDN2_OK) {
        return refusalOf(code);
    }
    return taken(converted);
}

IdnConversion IdnName::toUnicode(std::string_view name) {
    // Checked on the way in, so an A-label libidn2 would refuse to make is refused here too.
    const IdnConversion ascii = toAscii(name);
    if (ascii.refused()) {
        return ascii;
    }
    char* converted = nullptr;
    if (const int code = idn2_to_unicode_8z8z(ascii.name.c_str(), &converted, 0); code != IDN2_OK) {
        return refusalOf(code);
    }
    IdnConversion unicode = taken(converted);
    if (std::string mixed = scriptCheck().refusal(unicode.name); !mixed.empty()) {
        return {std::string(), std::move(mixed), std::string()};
    }
    unicode.ascii = ascii.name;
    return unicode;
}

IdnConversion IdnName::toShown(std::string_view name) {
    if (!isInternational(name) && !hasALabel(name)) {
        return {std::string(name), std::string(), std::string()};
    }
    return toUnicode(name);
}

IdnConversion IdnName::toCandidate(std::string_view name) {
    IdnConversion shown = toShown(name);
    if (shown.refused() || !isInternational(shown.name)) {
        return shown;
    }
    if (std::string lookAlike = scriptCheck().lookAlike(shown.name); !lookAlike.empty()) {
        return {std::string(), std::move(lookAlike), std::string()};
    }
    return shown;
}

IdnConversion IdnName::askedDomain(std::string_view name, std::string_view suffix) {
    AskedPart asked = AskedPart::name(name);
    AskedPart under = AskedPart::suffix(suffix);
    return AskedPart::domain(asked, under);
}

} // namespace cvt
