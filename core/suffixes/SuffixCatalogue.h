#pragma once

#include "core/suffixes/SuffixEntry.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cvt {

// Something wrong with a catalogue file: a line left out (line > 0), or the whole file (line 0).
struct CatalogueProblem {
    std::size_t line = 0;
    std::string message;
};

// The shipped list of suffixes open to the public, read from a tab-separated file (suffixes.tsv,
// found with the other data files). The file's header comment states the format: "#" lines and
// empty lines are skipped; every other line has seven fields separated by tabs: suffix, ascii,
// group, RDAP base, WHOIS server, name servers (comma-separated), a known registered name. The WHOIS
// server is a host name, optionally with ":port" (the shipped file names none; a catalogue made
// for testing may point at a local port).
//
// Loading never throws and never guesses: a missing, unreadable or oversized file gives an empty
// catalogue with one problem for the whole file, and a line that breaks the format is left out and
// reported with its number, so the program can start with the servers of Config.ini alone and say
// what is wrong.
class SuffixCatalogue {
public:
    static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

    SuffixCatalogue() = default;

    static std::string_view fileName() { return "suffixes.tsv"; }

    // Reads the file at path.
    static SuffixCatalogue load(const std::filesystem::path& path);
    // Reads the file's content; source names it in the problems' messages.
    static SuffixCatalogue parse(std::string_view text, std::string source = "suffixes.tsv");

    const std::vector<SuffixEntry>& entries() const { return m_entries; }
    const std::vector<CatalogueProblem>& problems() const { return m_problems; }

    // The entry for a suffix written either way (U-label or A-label), letter case ignored, with or
    // without one leading dot; nullptr when the catalogue does not hold it.
    const SuffixEntry* find(std::string_view suffix) const;

    // The entries of one group, in file order.
    std::vector<const SuffixEntry*> inGroup(SuffixGroup group) const;

    // One message for the user when there were problems, empty otherwise: what is wrong with which
    // file and what the program does instead, with the first few line problems.
    std::string problemSummary() const;

private:
    void addLine(std::string_view line, std::size_t number);
    void index(std::size_t position);

    std::string m_source;
    std::vector<SuffixEntry> m_entries;
    std::vector<CatalogueProblem> m_problems;
    std::unordered_map<std::string, std::size_t> m_byName; // both forms, lower case -> entry
};

} // namespace cvt
