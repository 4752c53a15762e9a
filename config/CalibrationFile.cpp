#include "config/CalibrationFile.h"

#include "config/ReplaceFile.h"
#include "text/DataLines.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <optional>
#include <system_error>

namespace cvt {

namespace {

constexpr const char* kHeader =
    "# Corvantide: no-match texts derived from WHOIS servers' own replies, kept for 30 days.\n"
    "# Written by the program (corvantide-cli calibrate, or a run that asks a server without a known\n"
    "# text); delete a line, or the file, to derive again.\n"
    "# Format: server<TAB>derived at (UTC)<TAB>no-match text<TAB>registered text, with \\\\, \\t, \\r and\n"
    "# \\n in the texts.\n";

std::string escape(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\n':
            escaped += "\\n";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::optional<std::string> unescape(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            plain += text[i];
            continue;
        }
        if (++i == text.size()) {
            return std::nullopt;
        }
        switch (text[i]) {
        case '\\':
            plain += '\\';
            break;
        case 't':
            plain += '\t';
            break;
        case 'r':
            plain += '\r';
            break;
        case 'n':
            plain += '\n';
            break;
        default:
            return std::nullopt;
        }
    }
    return plain;
}

std::optional<std::int64_t> parseDate(std::string_view text) {
    constexpr std::size_t kLength = 20; // 2026-12-08T12:00:00Z
    if (text.size() != kLength) {
        return std::nullopt;
    }
    const std::string copy(text);
    std::tm parts{};
    char zone = 0;
    int used = 0;
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%n", &parts.tm_year, &parts.tm_mon, &parts.tm_mday,
                    &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &zone, &used) != 7 ||
        used != static_cast<int>(kLength) || zone != 'Z' || parts.tm_year < 1970 || parts.tm_mon < 1 ||
        parts.tm_mon > 12 || parts.tm_mday < 1 || parts.tm_mday > 31 || parts.tm_hour > 23 || parts.tm_min > 59 ||
        parts.tm_sec > 60) {
        return std::nullopt;
    }
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    const std::time_t seconds = timegm(&parts);
    return seconds < 0 ? std::nullopt : std::optional<std::int64_t>(seconds);
}

bool isServerField(std::string_view server) {
    return !server.empty() && server.size() <= 300 && std::none_of(server.begin(), server.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

} // namespace

std::string calibrationDate(std::int64_t secondsSinceEpoch) {
    const auto seconds = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::filesystem::path CalibrationFile::besideConfig(const std::filesystem::path& configPath) {
    return configPath.parent_path() / std::string(fileName());
}

CalibrationBook CalibrationFile::parse(std::string_view text, std::size_t* linesLeftOut) {
    CalibrationBook book;
    std::size_t leftOut = 0;
    forEachDataLine(text, [&](std::string_view line) {
        const std::size_t firstTab = line.find('\t');
        const std::size_t secondTab = firstTab == std::string_view::npos ? firstTab : line.find('\t', firstTab + 1);
        if (secondTab == std::string_view::npos) {
            ++leftOut;
            return;
        }
        // A line of an older version ends with the no-match text: its registered text is unknown.
        const std::size_t thirdTab = line.find('\t', secondTab + 1);
        const std::string_view server = line.substr(0, firstTab);
        const std::optional<std::int64_t> date = parseDate(line.substr(firstTab + 1, secondTab - firstTab - 1));
        const std::optional<std::string> mark = unescape(line.substr(secondTab + 1, thirdTab - secondTab - 1));
        const std::optional<std::string> registered =
            thirdTab == std::string_view::npos ? std::optional<std::string>("") : unescape(line.substr(thirdTab + 1));
        if (!isServerField(server) || !date || !mark || mark->empty() || !registered ||
            (thirdTab != std::string_view::npos && registered->empty())) {
            ++leftOut;
            return;
        }
        book.store(server, {*mark, *date, *registered});
    });
    if (linesLeftOut != nullptr) {
        *linesLeftOut = leftOut;
    }
    return book;
}

std::string CalibrationFile::format(const CalibrationBook& book) {
    std::string text = kHeader;
    for (const auto& [server, calibration] : book.all()) {
        text += server + '\t' + calibrationDate(calibration.derivedAt) + '\t' + escape(calibration.mark);
        if (!calibration.registered.empty()) {
            text += '\t' + escape(calibration.registered);
        }
        text += '\n';
    }
    return text;
}

CalibrationBook CalibrationFile::load(const std::filesystem::path& path, std::string& problem) {
    problem.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int error = errno;
        if (error != ENOENT) {
            problem = path.string() + ": cannot open it: " + std::generic_category().message(error);
        }
        return {};
    }
    std::string text(kMaxFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        problem = path.string() + ": cannot read it to its end";
        return {};
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxFileBytes) {
        problem = path.string() + ": the file is larger than 4 MiB; its texts are derived again";
        return {};
    }
    std::size_t leftOut = 0;
    CalibrationBook book = parse(text, &leftOut);
    if (leftOut > 0) {
        problem = path.string() + ": " + std::to_string(leftOut) + (leftOut == 1 ? " line" : " lines") +
                  " left out (not server<TAB>date<TAB>text[<TAB>text])";
    }
    return book;
}

std::string CalibrationFile::keep(const std::filesystem::path& path, const std::string& server,
                                  const StoredCalibration& calibration) {
    std::string problem;
    CalibrationBook book = load(path, problem);
    book.store(server, calibration);
    try {
        replaceFile(path, format(book));
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return {};
}

} // namespace cvt
