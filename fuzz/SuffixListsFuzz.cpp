// Takes arbitrary bytes as the popular-suffix list, as the file of known WHOIS no-match texts and
// as the file of calibrated texts, and checks what the readers keep: single words without blanks
// or repeats; for every kept server a non-empty text without control bytes that is found again
// under the host's own name; calibrated texts that come back the same after a save and a read.
#include "config/CalibrationFile.h"
#include "core/suffixes/KnownWhoisMarks.h"
#include "core/suffixes/PopularSuffixes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool hasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != ' ') || byte == 0x7F;
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const cvt::PopularSuffixes popular = cvt::PopularSuffixes::parse(bytes);
    std::set<std::string> seen;
    for (const std::string& suffix : popular.suffixes()) {
        require(!suffix.empty() && suffix.size() <= cvt::PopularSuffixes::kMaxSuffixBytes && !hasControl(suffix));
        require(suffix.find(' ') == std::string::npos && seen.insert(suffix).second);
    }
    const cvt::KnownWhoisMarks marks = cvt::KnownWhoisMarks::parse(bytes);
    std::size_t lines = 0;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        const std::string_view host = line.substr(0, line.find('\t'));
        if (const cvt::KnownWhoisMark* known = marks.find(host); known != nullptr) {
            require(!known->mark.empty() && !hasControl(known->mark) && !hasControl(known->refusal));
            ++lines;
        }
    }
    require(marks.size() <= lines);

    const cvt::CalibrationBook book = cvt::CalibrationFile::parse(bytes);
    const cvt::CalibrationBook again = cvt::CalibrationFile::parse(cvt::CalibrationFile::format(book));
    require(again.all().size() == book.all().size());
    for (const auto& [server, calibration] : book.all()) {
        const cvt::StoredCalibration* read = again.find(server);
        require(read != nullptr && read->mark == calibration.mark && read->derivedAt == calibration.derivedAt &&
                read->registered == calibration.registered);
    }
    return 0;
}
