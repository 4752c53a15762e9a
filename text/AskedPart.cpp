#include "text/AskedPart.h"

#include <idn2.h>
#include <string>

namespace cvt {

namespace {

// A domain's longest text form (255 bytes on the wire); libidn2 refuses longer ones.
constexpr std::size_t kLongestDomain = 253;

std::string joined(std::string_view name, std::string_view suffix) {
    std::string domain;
    domain.reserve(name.size() + 1 + suffix.size());
    domain.append(name).append(".").append(suffix);
    return domain;
}

} // namespace

AskedPart AskedPart::name(std::string_view written, std::string_view aLabel) {
    return {written, aLabel, IdnName::isInternational(written) || IdnName::hasALabel(written)};
}

AskedPart AskedPart::suffix(std::string_view written) {
    return {written, {}, IdnName::isInternational(written)};
}

const IdnConversion& AskedPart::converted() {
    if (!m_made) {
        m_made = m_aLabel.empty() ? IdnName::toAscii(m_written)
                                  : IdnConversion{std::string(m_aLabel), std::string(), std::string()};
    }
    return *m_made;
}

IdnConversion AskedPart::domain(AskedPart& name, AskedPart& suffix) {
    if (!name.m_converts && !suffix.m_converts) {
        return {joined(name.m_written, suffix.m_written), std::string(), std::string()};
    }
    // libidn2 converts a domain label by label, so the parts convert on their own.
    for (AskedPart* part : {&name, &suffix}) {
        if (const IdnConversion& form = part->converted(); form.refused()) {
            return {std::string(), form.refusal, std::string()};
        }
    }
    std::string domain = joined(name.converted().name, suffix.converted().name);
    if (domain.size() > kLongestDomain) {
        return {std::string(), idn2_strerror(IDN2_TOO_BIG_DOMAIN), std::string()};
    }
    return {std::move(domain), std::string(), std::string()};
}

} // namespace cvt
