// Feeds arbitrary bytes to the conversions of international names and checks what every result
// must hold: an A-label form is plain ASCII, a refused name gives no form, the shown form asks
// the same domain as the input, a candidate is either refused or in its shown form, and the domain a
// run joins from ready forms is the one the whole converts to.
#include "text/AskedPart.h"
#include "text/IdnName.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const cvt::IdnConversion ascii = cvt::IdnName::toAscii(bytes);
    if (cvt::IdnName::isInternational(ascii.name) || (ascii.refused() && !ascii.name.empty())) {
        std::abort();
    }
    const cvt::IdnConversion shown = cvt::IdnName::toShown(bytes);
    if (!shown.refused() && cvt::IdnName::isInternational(bytes)) {
        const cvt::IdnConversion again = cvt::IdnName::toAscii(shown.name);
        if (again.refused() || again.name != ascii.name) {
            std::abort();
        }
    }
    // A candidate is the shown form, or refused.
    const cvt::IdnConversion candidate = cvt::IdnName::toCandidate(bytes);
    if ((candidate.refused() && !candidate.name.empty()) || (!candidate.refused() && candidate.name != shown.name)) {
        std::abort();
    }
    // A run joins the candidate's A-label, kept from the check, with the suffix's: the same domain as
    // the whole converted at once.
    if (!candidate.refused()) {
        cvt::AskedPart name = cvt::AskedPart::name(candidate.name, candidate.ascii);
        cvt::AskedPart suffix = cvt::AskedPart::suffix("中国");
        if (cvt::AskedPart::domain(name, suffix).name != cvt::IdnName::toAscii(candidate.name + ".中国").name) {
            std::abort();
        }
    }
    const cvt::IdnConversion asked = cvt::IdnName::askedDomain(bytes, "中国");
    if (!asked.refused() && cvt::IdnName::isInternational(asked.name)) {
        std::abort();
    }
    return 0;
}
