#include "cli/SuffixChoosing.h"

#include "cli/Command.h"
#include "config/CalibrationFile.h"
#include "config/DataFolders.h"
#include "core/suffixes/ClosedSuffixes.h"
#include "core/suffixes/SuffixData.h"
#include "text/Trim.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>

namespace cvt::cli {

namespace {

// Why a suffix the directory does not hold cannot be asked.
std::string unknownSuffix(std::string_view suffix) {
    std::ifstream file(dataFolderHolding(ClosedSuffixes::fileName()) / std::string(ClosedSuffixes::fileName()),
                       std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string reason = ClosedSuffixes::parse(text).reason(suffix);
    if (!reason.empty()) {
        return "the suffix '" + std::string(suffix) + "' is not open to the public (" + reason +
               "); no registry takes names under it";
    }
    return "unknown suffix '" + std::string(suffix) +
           "': neither Config.ini nor the suffix catalogue has it (corvantide-cli servers --all lists them)";
}

// Hands each item of a comma-separated --suffix list to visit, trimmed, empty ones left out.
void forEachListItem(std::string_view list, const std::function<void(std::string_view)>& visit) {
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view item = trim(list.substr(start, comma - start));
        start = comma + 1;
        if (!item.empty()) {
            visit(item);
        }
    }
}

// Whether a --suffix list names a group or a suffix the entries do not serve.
bool needsCatalogue(const std::vector<ServerEntry>& entries, std::string_view list) {
    const SuffixDirectory own(entries, SuffixData(), CalibrationBook());
    bool needed = false;
    forEachListItem(
        list, [&](std::string_view item) { needed = needed || item.front() == '@' || own.find(item) == nullptr; });
    return needed;
}

} // namespace

CommandSuffixes loadCommandSuffixes(const std::vector<ServerEntry>& entries, const std::filesystem::path& configPath,
                                    std::string_view command, std::ostream& err, SuffixSources sources,
                                    std::string_view list) {
    SuffixData data;
    if (sources == SuffixSources::CatalogueAndCalibrations ||
        (sources == SuffixSources::CatalogueWhenNeeded && needsCatalogue(entries, list))) {
        data = SuffixData::load([](std::string_view name) { return dataFolderHolding(name) / std::string(name); });
        for (const std::string& problem : data.problems) {
            err << "corvantide-cli " << command << ": warning: " << problem << '\n';
        }
    }
    CommandSuffixes suffixes;
    suffixes.calibrationFile = CalibrationFile::besideConfig(configPath);
    std::string problem;
    suffixes.calibrations = CalibrationFile::load(suffixes.calibrationFile, problem);
    if (!problem.empty()) {
        err << "corvantide-cli " << command << ": warning: " << problem << '\n';
    }
    suffixes.directory = SuffixDirectory(entries, data, suffixes.calibrations);
    return suffixes;
}

std::vector<const DirectorySuffix*> chooseSuffixes(const SuffixDirectory& directory, std::string_view list) {
    std::vector<const DirectorySuffix*> chosen;
    const auto add = [&chosen](const DirectorySuffix* suffix) {
        if (std::find(chosen.begin(), chosen.end(), suffix) == chosen.end()) {
            chosen.push_back(suffix);
        }
    };
    forEachListItem(list, [&](std::string_view item) {
        if (item.front() == '@') {
            const std::optional<SuffixChoice> group = suffixChoiceNamed(item.substr(1));
            if (!group) {
                throw UsageError("--suffix: unknown group '" + std::string(item) +
                                 "' (@popular, @generic, @country, @chinese or @all)");
            }
            const std::vector<const DirectorySuffix*> members = directory.chosen(*group);
            if (members.empty()) {
                throw UsageError("--suffix: the group '" + std::string(item) + "' holds no suffix");
            }
            std::for_each(members.begin(), members.end(), add);
            return;
        }
        const DirectorySuffix* suffix = directory.find(item);
        if (suffix == nullptr) {
            throw UsageError(unknownSuffix(item));
        }
        add(suffix);
    });
    if (chosen.empty()) {
        throw UsageError("--suffix needs at least one suffix");
    }
    return chosen;
}

} // namespace cvt::cli
