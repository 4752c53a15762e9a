#include "core/suffixes/SuffixCatalogue.h"

#include "text/AsciiCase.h"
#include "text/IdnName.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <system_error>

namespace cvt {

namespace {

constexpr std::size_t kFieldCount = 7;
constexpr std::size_t kMaxLabel = 63;
constexpr std::size_t kMaxName = 253;
constexpr std::size_t kProblemsShown = 3;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

bool isLdhLabel(std::string_view label) {
    if (label.empty() || label.size() > kMaxLabel || label.front() == '-' || label.back() == '-') {
        return false;
    }
    return std::all_of(label.begin(), label.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    });
}

// A DNS name in ASCII: dot-separated letter-digit-hyphen labels, no empty label.
bool isHostName(std::string_view name) {
    if (name.empty() || name.size() > kMaxName) {
        return false;
    }
    const std::vector<std::string_view> labels = split(name, '.');
    return std::all_of(labels.begin(), labels.end(), isLdhLabel);
}

// A WHOIS server: a host name, optionally followed by ":" and a port from 1 to 65535.
bool isWhoisServer(std::string_view server) {
    const std::size_t colon = server.rfind(':');
    if (colon == std::string_view::npos) {
        return isHostName(server);
    }
    const std::string_view port = server.substr(colon + 1);
    if (port.empty() || port.size() > 5 || port.front() == '0' ||
        !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoul(std::string(port)) > 65535) {
        return false;
    }
    return isHostName(server.substr(0, colon));
}

// A field as shown in a message: in double quotes, control bytes as "?", cut after 80 bytes.
std::string shownField(std::string_view field) {
    constexpr std::size_t kShown = 80;
    std::string shown(field.substr(0, kShown));
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = '?';
        }
    }
    return "\"" + shown + (field.size() > kShown ? "...\"" : "\"");
}

// Whether name is one label followed by the suffix ("nic.co.uk" under "co.uk").
bool isDirectlyUnder(std::string_view name, std::string_view suffix) {
    const std::size_t dot = name.find('.');
    return dot != std::string_view::npos && name.substr(dot + 1) == suffix;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool hasBlankOrControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

// The A-label form of a name with non-ASCII labels (case mapped, NFC), or nothing when it is not a
// valid international name.
std::optional<std::string> toAscii(std::string_view name) {
    const IdnConversion converted = IdnName::toAscii(name);
    if (converted.refused()) {
        return std::nullopt;
    }
    return toAsciiLower(converted.name);
}

std::optional<SuffixGroup> parseGroup(std::string_view word) {
    for (const SuffixGroup group :
         {SuffixGroup::Generic, SuffixGroup::Country, SuffixGroup::Geographic, SuffixGroup::Chinese}) {
        if (word == suffixGroupName(group)) {
            return group;
        }
    }
    return std::nullopt;
}

bool isRdapBase(std::string_view base) {
    constexpr std::string_view scheme = "https://";
    return base.size() > scheme.size() + 1 && base.substr(0, scheme.size()) == scheme && base.back() == '/' &&
           base[scheme.size()] != '/' && isAscii(base) && !hasBlankOrControl(base);
}

// Checks the two forms of a suffix against each other; returns what is wrong, empty when nothing.
std::string checkSuffixForms(std::string_view suffix, std::string_view ascii) {
    if (suffix.empty() || hasBlankOrControl(suffix) || suffix.front() == '.' || suffix.back() == '.' ||
        suffix.find("..") != std::string_view::npos) {
        return "the suffix " + shownField(suffix) + " is not a domain suffix";
    }
    if (!isHostName(ascii)) {
        return "the ASCII form " + shownField(ascii) + " is not a domain suffix";
    }
    if (isAscii(suffix)) {
        if (!isHostName(suffix)) {
            return "the suffix " + shownField(suffix) + " is not a domain suffix";
        }
        if (toAsciiLower(suffix) != toAsciiLower(ascii)) {
            return "the ASCII form " + shownField(ascii) + " differs from the suffix " + shownField(suffix);
        }
        return {};
    }
    const std::optional<std::string> expected = toAscii(suffix);
    if (!expected) {
        return "the suffix " + shownField(suffix) + " is not a valid international domain suffix";
    }
    if (*expected != toAsciiLower(ascii)) {
        return "the ASCII form " + shownField(ascii) + " does not match the suffix " + shownField(suffix) + " (" +
               *expected + ")";
    }
    return {};
}

} // namespace

SuffixCatalogue SuffixCatalogue::load(const std::filesystem::path& path) {
    const std::string source = path.string();
    SuffixCatalogue failed;
    failed.m_source = source;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        const int error = errno;
        failed.m_problems.push_back(
            {0, error == ENOENT ? "the file is missing" : "cannot open it: " + std::generic_category().message(error)});
        return failed;
    }
    std::string text;
    std::array<char, 65536> buffer{};
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        text.append(buffer.data(), got);
        if (text.size() > kMaxFileBytes) {
            failed.m_problems.push_back({0, "the file is larger than 16 MiB, so it is not a suffix catalogue"});
            return failed;
        }
        if (got < buffer.size()) {
            break;
        }
    }
    if (std::ferror(file.get()) != 0) {
        failed.m_problems.push_back({0, "cannot read it to its end"});
        return failed;
    }
    return parse(text, source);
}

SuffixCatalogue SuffixCatalogue::parse(std::string_view text, std::string source) {
    SuffixCatalogue catalogue;
    catalogue.m_source = std::move(source);
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, byteOrderMark.size()) == byteOrderMark) {
        text.remove_prefix(byteOrderMark.size());
    }
    std::size_t number = 0;
    for (std::string_view line : split(text, '\n')) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty() && line.front() != '#') {
            catalogue.addLine(line, number);
        }
    }
    catalogue.m_entries.shrink_to_fit();
    if (catalogue.m_entries.empty()) {
        catalogue.m_problems.insert(catalogue.m_problems.begin(), {0, "the file holds no suffix"});
    }
    return catalogue;
}

void SuffixCatalogue::addLine(std::string_view line, std::size_t number) {
    const std::vector<std::string_view> fields = split(line, '\t');
    const auto reject = [this, number](std::string message) { m_problems.push_back({number, std::move(message)}); };
    if (fields.size() != kFieldCount) {
        reject("expected 7 fields separated by tabs, found " + std::to_string(fields.size()));
        return;
    }
    SuffixEntry entry;
    entry.line = number;
    entry.suffix = toAsciiLower(fields[0]);
    entry.ascii = toAsciiLower(fields[1]);
    if (std::string problem = checkSuffixForms(fields[0], fields[1]); !problem.empty()) {
        reject(std::move(problem));
        return;
    }
    const std::optional<SuffixGroup> group = parseGroup(fields[2]);
    if (!group) {
        reject("unknown group " + shownField(fields[2]) + " (generic, country, geographic or chinese)");
        return;
    }
    entry.group = *group;
    if (!fields[3].empty() && !isRdapBase(fields[3])) {
        reject("the RDAP base " + shownField(fields[3]) + " is not an https:// address ending with /");
        return;
    }
    entry.rdapBase = fields[3];
    if (!fields[4].empty() && !isWhoisServer(fields[4])) {
        reject("the WHOIS server " + shownField(fields[4]) + " is not a host name (with an optional :port)");
        return;
    }
    entry.whoisServer = toAsciiLower(fields[4]);
    if (entry.rdapBase.empty() && entry.whoisServer.empty()) {
        reject("neither an RDAP base nor a WHOIS server for \"" + entry.suffix + "\"");
        return;
    }
    if (!fields[5].empty()) {
        for (const std::string_view server : split(fields[5], ',')) {
            if (!isHostName(server)) {
                reject("the name server " + shownField(server) + " is not a host name");
                return;
            }
            entry.nameServers.push_back(toAsciiLower(server));
        }
    }
    entry.knownRegistered = toAsciiLower(fields[6]);
    if (!entry.knownRegistered.empty() &&
        (!isHostName(entry.knownRegistered) || !isDirectlyUnder(entry.knownRegistered, entry.ascii))) {
        reject("the registered name " + shownField(fields[6]) + " is not a name directly under " +
               shownField(entry.ascii));
        return;
    }
    for (const std::string& name : {entry.suffix, entry.ascii}) {
        if (const auto known = m_byName.find(name); known != m_byName.end()) {
            reject("\"" + name + "\" is already listed on line " + std::to_string(m_entries[known->second].line));
            return;
        }
    }
    m_entries.push_back(std::move(entry));
    index(m_entries.size() - 1);
}

void SuffixCatalogue::index(std::size_t position) {
    const SuffixEntry& entry = m_entries[position];
    m_byName.emplace(entry.suffix, position);
    m_byName.emplace(entry.ascii, position);
}

const SuffixEntry* SuffixCatalogue::find(std::string_view suffix) const {
    if (!suffix.empty() && suffix.front() == '.') {
        suffix.remove_prefix(1);
    }
    if (suffix.empty()) {
        return nullptr;
    }
    if (const auto known = m_byName.find(toAsciiLower(suffix)); known != m_byName.end()) {
        return &m_entries[known->second];
    }
    if (isAscii(suffix) || hasBlankOrControl(suffix)) {
        return nullptr;
    }
    // Another letter case or normalisation of an international suffix: compare ASCII forms.
    const std::optional<std::string> ascii = toAscii(suffix);
    if (!ascii) {
        return nullptr;
    }
    const auto known = m_byName.find(*ascii);
    return known == m_byName.end() ? nullptr : &m_entries[known->second];
}

std::vector<const SuffixEntry*> SuffixCatalogue::inGroup(SuffixGroup group) const {
    std::vector<const SuffixEntry*> members;
    for (const SuffixEntry& entry : m_entries) {
        if (entry.group == group) {
            members.push_back(&entry);
        }
    }
    return members;
}

std::string SuffixCatalogue::problemSummary() const {
    if (m_problems.empty()) {
        return {};
    }
    std::string summary = "Suffix catalogue " + m_source + ": ";
    if (m_problems.front().line == 0) {
        return summary + m_problems.front().message + "; only the servers of Config.ini can be asked.";
    }
    summary += std::to_string(m_problems.size()) + (m_problems.size() == 1 ? " line" : " lines") + " left out (";
    for (std::size_t i = 0; i < m_problems.size() && i < kProblemsShown; ++i) {
        summary += (i == 0 ? "" : "; ") + ("line " + std::to_string(m_problems[i].line) + ": " + m_problems[i].message);
    }
    if (m_problems.size() > kProblemsShown) {
        summary += "; and " + std::to_string(m_problems.size() - kProblemsShown) + " more";
    }
    return summary + ").";
}

} // namespace cvt
