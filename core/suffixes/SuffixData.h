#pragma once

#include "core/suffixes/KnownWhoisMarks.h"
#include "core/suffixes/PopularSuffixes.h"
#include "core/suffixes/SuffixCatalogue.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// The suffix data shipped with the program: the catalogue, the popular list and the known no-match
// texts of WHOIS servers.
struct SuffixData {
    SuffixCatalogue catalogue;
    PopularSuffixes popular;
    KnownWhoisMarks knownMarks;
    // What is wrong with the files, one message each, for the user; the program goes on with what
    // could be read. Without a catalogue, only its own message.
    std::vector<std::string> problems;

    // Reads the three files; locate gives the path of a data file by its name.
    static SuffixData load(const std::function<std::filesystem::path(std::string_view)>& locate);
};

} // namespace cvt
