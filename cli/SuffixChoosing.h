#pragma once

#include "core/query/ServerEntry.h"
#include "core/suffixes/CalibrationBook.h"
#include "core/suffixes/SuffixDirectory.h"

#include <filesystem>
#include <iosfwd>
#include <string_view>
#include <vector>

namespace cvt::cli {

// The suffixes a command can ask: the entries of Config.ini (and --server) over the shipped suffix
// data, with the texts calibrated so far (kept beside the Config.ini at configPath).
struct CommandSuffixes {
    SuffixDirectory directory;
    CalibrationBook calibrations;
    std::filesystem::path calibrationFile;
};

// What a command reads besides Config.ini.
enum class SuffixSources {
    Calibrations,        // the calibrated texts alone: the directory holds Config.ini's entries
    CatalogueWhenNeeded, // the shipped data too, when the list names a group or a suffix Config.ini lacks
    CatalogueAndCalibrations,
};

// Problems with the files go to err as warnings headed by the command's name.
CommandSuffixes loadCommandSuffixes(const std::vector<ServerEntry>& entries, const std::filesystem::path& configPath,
                                    std::string_view command, std::ostream& err, SuffixSources sources,
                                    std::string_view list = {});

// The suffixes of a comma-separated list in the order given, without repeats: suffixes in either
// form and @popular, @generic, @country, @chinese, @all. UsageError for an empty list, an unknown
// group, a group without suffixes, or a suffix nobody serves (saying so when it is a zone not open
// to the public).
std::vector<const DirectorySuffix*> chooseSuffixes(const SuffixDirectory& directory, std::string_view list);

} // namespace cvt::cli
