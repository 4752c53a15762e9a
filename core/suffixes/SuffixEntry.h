#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// The groups the catalogue sorts suffixes into.
enum class SuffixGroup {
    Generic,    // com, shop, app
    Country,    // fr, co.uk, com.cn
    Geographic, // cities and regions: berlin, nyc, scot
    Chinese,    // suffixes written in Chinese characters
};

// The word the catalogue file uses for a group ("generic", "country", "geographic", "chinese").
std::string_view suffixGroupName(SuffixGroup group);

// One suffix of the catalogue and how its registry is asked.
struct SuffixEntry {
    std::string suffix; // as users write it, lower case; an IDN suffix as U-label
    std::string ascii;  // the same in ASCII: the A-label of an IDN, else suffix
    SuffixGroup group = SuffixGroup::Generic;
    std::string rdapBase;                 // "https://.../" or empty
    std::string whoisServer;              // host name (port 43) or empty
    std::vector<std::string> nameServers; // host names, possibly none
    std::string knownRegistered;          // a name directly under the suffix that exists ("nic.shop"), or empty
    std::size_t line = 0;                 // where the entry stands in its file
};

} // namespace cvt
