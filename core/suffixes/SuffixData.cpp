#include "core/suffixes/SuffixData.h"

#include <cerrno>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

namespace cvt {

namespace {

constexpr std::size_t kMaxListBytes = 1024 * 1024;

// The whole of a small data file, or nothing with the problem added.
std::optional<std::string> readSmallFile(const std::filesystem::path& path, std::vector<std::string>& problems) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int error = errno;
        problems.push_back(path.string() + ": " +
                           (error == ENOENT ? std::string("the file is missing")
                                            : "cannot open it: " + std::generic_category().message(error)));
        return std::nullopt;
    }
    std::string text(kMaxListBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        problems.push_back(path.string() + ": cannot read it to its end");
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxListBytes) {
        problems.push_back(path.string() + ": the file is larger than 1 MiB; it is not used");
        return std::nullopt;
    }
    return text;
}

} // namespace

SuffixData SuffixData::load(const std::function<std::filesystem::path(std::string_view)>& locate) {
    SuffixData data;
    data.catalogue = SuffixCatalogue::load(locate(SuffixCatalogue::fileName()));
    if (std::string summary = data.catalogue.problemSummary(); !summary.empty()) {
        data.problems.push_back(std::move(summary));
    }
    // Without a catalogue the other two files matter little: its message is the one that counts.
    std::vector<std::string> listProblems;
    if (const std::optional<std::string> text = readSmallFile(locate(PopularSuffixes::fileName()), listProblems)) {
        data.popular = PopularSuffixes::parse(*text);
    }
    if (const std::optional<std::string> text = readSmallFile(locate(KnownWhoisMarks::fileName()), listProblems)) {
        data.knownMarks = KnownWhoisMarks::parse(*text);
    }
    if (!data.catalogue.entries().empty()) {
        data.problems.insert(data.problems.end(), listProblems.begin(), listProblems.end());
    }
    return data;
}

} // namespace cvt
