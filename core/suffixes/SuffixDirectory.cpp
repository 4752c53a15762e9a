#include "core/suffixes/SuffixDirectory.h"

#include "core/suffixes/CalibrationBook.h"
#include "core/suffixes/SuffixData.h"
#include "text/AsciiCase.h"
#include "text/IdnName.h"

#include <algorithm>

namespace cvt {

namespace {

constexpr std::uint8_t bit(SuffixChoice choice) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(choice));
}

std::uint8_t choicesOf(const SuffixEntry* catalogued) {
    std::uint8_t choices = bit(SuffixChoice::All);
    if (catalogued == nullptr) {
        return choices;
    }
    switch (catalogued->group) {
    case SuffixGroup::Generic:
    case SuffixGroup::Geographic:
        return choices | bit(SuffixChoice::Generic);
    case SuffixGroup::Country:
        return choices | bit(SuffixChoice::Country);
    case SuffixGroup::Chinese:
        return choices | bit(SuffixChoice::Chinese);
    }
    return choices;
}

// The ASCII form of a suffix as written; the text itself when it is ASCII or not a valid name.
std::string asciiForm(std::string_view suffix) {
    if (!IdnName::isInternational(suffix)) {
        return toAsciiLower(suffix);
    }
    const IdnConversion ascii = IdnName::toAscii(suffix);
    return ascii.refused() ? std::string(suffix) : toAsciiLower(ascii.name);
}

// A calibrated entry takes its server's stored text while it is fresh; without one (or with one
// too old) it has none, and a run derives it.
void takeCalibration(DirectorySuffix& suffix, const CalibrationBook& calibrations,
                     std::chrono::system_clock::time_point now) {
    suffix.calibrates = true;
    if (const StoredCalibration* stored = calibrations.find(suffix.server.host); stored != nullptr) {
        suffix.calibratedAt = stored->derivedAt;
    }
    if (const StoredCalibration* fresh = calibrations.fresh(suffix.server.host, now); fresh != nullptr) {
        suffix.server.mark = fresh->mark;
    }
}

} // namespace

std::string_view askedByName(AskedBy askedBy) {
    switch (askedBy) {
    case AskedBy::Rdap:
        return "RDAP";
    case AskedBy::WhoisKnownText:
        return "WHOIS";
    case AskedBy::WhoisCalibrated:
        return "WHOIS calibrated";
    case AskedBy::ConfigIni:
        return "Config.ini";
    }
    return "Config.ini";
}

std::string_view suffixChoiceName(SuffixChoice choice) {
    switch (choice) {
    case SuffixChoice::Popular:
        return "popular";
    case SuffixChoice::Generic:
        return "generic";
    case SuffixChoice::Country:
        return "country";
    case SuffixChoice::Chinese:
        return "chinese";
    case SuffixChoice::All:
        return "all";
    }
    return "all";
}

std::optional<SuffixChoice> suffixChoiceNamed(std::string_view name) {
    for (const SuffixChoice choice : kSuffixChoices) {
        if (equalsIgnoreCase(name, suffixChoiceName(choice))) {
            return choice;
        }
    }
    return std::nullopt;
}

SuffixDirectory::SuffixDirectory(const std::vector<ServerEntry>& configEntries, const SuffixData& data,
                                 const CalibrationBook& calibrations, std::chrono::system_clock::time_point now) {
    for (const ServerEntry& entry : configEntries) {
        DirectorySuffix suffix;
        suffix.server = entry;
        suffix.askedBy = AskedBy::ConfigIni;
        const SuffixEntry* catalogued = data.catalogue.find(entry.caption);
        suffix.ascii = catalogued != nullptr ? catalogued->ascii : asciiForm(entry.caption);
        suffix.registered = catalogued != nullptr ? catalogued->knownRegistered : std::string();
        suffix.choices = choicesOf(catalogued);
        if (catalogued != nullptr) {
            suffix.server.nameServers = catalogued->nameServers;
        }
        if (entry.kind == LookupKind::Whois && entry.mark.empty()) {
            takeCalibration(suffix, calibrations, now);
        }
        add(std::move(suffix));
    }
    for (const SuffixEntry& catalogued : data.catalogue.entries()) {
        if (find(catalogued.ascii) != nullptr) {
            continue;
        }
        DirectorySuffix suffix;
        suffix.ascii = catalogued.ascii;
        suffix.registered = catalogued.knownRegistered;
        suffix.choices = choicesOf(&catalogued);
        if (!catalogued.rdapBase.empty()) {
            suffix.server = ServerEntry{catalogued.suffix, catalogued.rdapBase, {}, {}, false};
            suffix.askedBy = AskedBy::Rdap;
        } else if (const KnownWhoisMark* known = data.knownMarks.find(catalogued.whoisServer); known != nullptr) {
            suffix.server = ServerEntry{catalogued.suffix, catalogued.whoisServer, known->mark, known->refusal, false};
            suffix.askedBy = AskedBy::WhoisKnownText;
        } else {
            suffix.server = ServerEntry{catalogued.suffix, catalogued.whoisServer, {}, {}, false};
            suffix.askedBy = AskedBy::WhoisCalibrated;
            takeCalibration(suffix, calibrations, now);
        }
        suffix.server.nameServers = catalogued.nameServers;
        add(std::move(suffix));
    }
    for (const std::string& popular : data.popular.suffixes()) {
        if (const DirectorySuffix* found = find(popular); found != nullptr) {
            const auto position = static_cast<std::size_t>(found - m_suffixes.data());
            if (std::find(m_popularOrder.begin(), m_popularOrder.end(), position) == m_popularOrder.end()) {
                m_suffixes[position].choices |= bit(SuffixChoice::Popular);
                m_popularOrder.push_back(position);
            }
        }
    }
}

void SuffixDirectory::add(DirectorySuffix suffix) {
    const std::size_t position = m_suffixes.size();
    m_byName.emplace(toAsciiLower(suffix.server.caption), position);
    m_byName.emplace(suffix.ascii, position);
    m_suffixes.push_back(std::move(suffix));
}

const DirectorySuffix* SuffixDirectory::find(std::string_view suffix) const {
    if (!suffix.empty() && suffix.front() == '.') {
        suffix.remove_prefix(1);
    }
    if (suffix.empty()) {
        return nullptr;
    }
    auto known = m_byName.find(toAsciiLower(suffix));
    if (known == m_byName.end() && IdnName::isInternational(suffix)) {
        known = m_byName.find(asciiForm(suffix));
    }
    return known == m_byName.end() ? nullptr : &m_suffixes[known->second];
}

std::vector<const DirectorySuffix*> SuffixDirectory::chosen(SuffixChoice choice) const {
    std::vector<const DirectorySuffix*> members;
    if (choice == SuffixChoice::Popular) {
        for (const std::size_t position : m_popularOrder) {
            members.push_back(&m_suffixes[position]);
        }
        return members;
    }
    for (const DirectorySuffix& suffix : m_suffixes) {
        if (suffix.in(choice)) {
            members.push_back(&suffix);
        }
    }
    return members;
}

} // namespace cvt
