#pragma once

#include <string>
#include <string_view>

namespace cvt {

// A name converted between its Unicode and A-label forms, or why it could not be.
struct IdnConversion {
    std::string name;    // the converted name; empty when refused
    std::string refusal; // why libidn2 refused the name (English); empty on success
    // toUnicode, toShown and toCandidate: the A-label form the name was checked in, which is what it
    // is asked by; empty when the name was left as it is (plain ASCII without A-labels).
    std::string ascii;

    bool refused() const { return !refusal.empty(); }
};

// The one place where international domain names change form: UTS #46 non-transitional processing
// through libidn2 (NFC, case and width folding, the IDNA 2008 tables, the bidi and context rules,
// labels of at most 63 bytes in their A-label form), and ICU's checks of mixed scripts and look-alikes.
// Names of plain ASCII bytes are left as they are, so the usual runs pay nothing.
class IdnName {
public:
    // Whether the name holds a byte beyond ASCII.
    static bool isInternational(std::string_view name);
    // Whether a label of the name starts with "xn--" (letter case ignored): an A-label, or what
    // claims to be one.
    static bool hasALabel(std::string_view name);

    // The A-label form ("xn--fiqs8s.xn--fiqs8s" for "中国.中国"), or the refusal.
    static IdnConversion toAscii(std::string_view name);
    // The Unicode form of a name whose labels may be A-labels ("xn--fiqs8s" -> "中国"), checked
    // as toAscii checks it and refused when a label mixes scripts that are not used together
    // (Latin with Cyrillic; Latin with Han is fine); ASCII labels other than A-labels stay as they are.
    static IdnConversion toUnicode(std::string_view name);
    // The form a name is shown in: the Unicode form of its A-label form ("ＡＢＣ中国" -> "abc中国"), so
    // what is shown is what is asked. ASCII names without A-labels are returned unchanged.
    static IdnConversion toShown(std::string_view name);
    // The form a name the program asks is shown in (names of patterns, word lists and name lists):
    // toShown, and refused when a label written in one script other than Latin and Han looks like an
    // ASCII label (Cyrillic "аррӏе" for "apple", Greek "ορα"), as ICU's confusable skeletons tell.
    // Suffixes are the registries' own choice and are not held to this (the Cyrillic "срб" looks
    // like "cp6").
    static IdnConversion toCandidate(std::string_view name);

    // The domain asked on the wire for a name under a suffix (either in the form it is shown in):
    // name + "." + suffix, in its A-label form when either part needs it; a name with a label that
    // claims to be an A-label is checked (and lower-cased) too, so an unsound one is refused.
    // AskedPart makes the same domain from parts kept ready.
    static IdnConversion askedDomain(std::string_view name, std::string_view suffix);
};

} // namespace cvt
