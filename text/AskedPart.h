#pragma once

#include "text/IdnName.h"

#include <optional>
#include <string_view>

namespace cvt {

// A name or a suffix as it goes into the domains asked on the wire, kept ready so that each cell of a
// run costs a join: as written, whether the domains it is part of are asked in their A-label form,
// and its own A-label form (or why libidn2 refuses it), made at most once. A plain ASCII name needs
// its A-label form only under a suffix beyond ASCII, and is converted only then.
//
// Holds views: what it is made from must outlive it.
class AskedPart {
public:
    // A name: beyond ASCII, or with a label that claims to be an A-label, its domains are asked in
    // their A-label form. aLabel: its A-label form when already known (a run's list keeps it).
    static AskedPart name(std::string_view written, std::string_view aLabel = {});
    // A suffix: beyond ASCII, its domains are asked in their A-label form.
    static AskedPart suffix(std::string_view written);

    std::string_view written() const { return m_written; }

    // The domain asked for name under suffix: name + "." + suffix as written when neither converts,
    // otherwise the join of both A-label forms; refused (with libidn2's reason) when either has none
    // or the domain is longer than a domain can be. The same as libidn2 converting the whole domain.
    static IdnConversion domain(AskedPart& name, AskedPart& suffix);

private:
    AskedPart(std::string_view written, std::string_view aLabel, bool converts)
        : m_written(written), m_aLabel(aLabel), m_converts(converts) {}

    // The A-label form (or the refusal): the one given, else made from the written form once.
    const IdnConversion& converted();

    std::string_view m_written;
    std::string_view m_aLabel; // given; empty when not known
    bool m_converts = false;
    std::optional<IdnConversion> m_made; // made from m_written when first needed
};

} // namespace cvt
