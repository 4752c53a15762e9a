#include "core/suffixes/NoMatchCalibration.h"

#include "core/query/QuotaPhrases.h"
#include "text/IdnName.h"
#include "text/TextUtil.h"

#include <algorithm>
#include <array>
#include <deque>
#include <string_view>

namespace cvt {

namespace {

constexpr std::size_t kMinMarkBytes = 4;
constexpr std::size_t kMinMarkLetters = 3;

// Month and weekday names, as dates are written in words.
constexpr std::array<std::string_view, 38> kCalendarWords = {
    "jan",       "feb",     "mar",      "apr",       "may",      "jun",    "jul",      "aug",    "sep",  "sept",
    "oct",       "nov",     "dec",      "january",   "february", "march",  "april",    "june",   "july", "august",
    "september", "october", "november", "december",  "mon",      "tue",    "wed",      "thu",    "fri",  "sat",
    "sun",       "monday",  "tuesday",  "wednesday", "thursday", "friday", "saturday", "sunday",
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}

// A month or weekday name with a capital, as a whole word without its trailing punctuation ("may"
// and "march" in a sentence stay words).
bool isCalendarWord(std::string_view word) {
    if (word.empty() || word.front() < 'A' || word.front() > 'Z') {
        return false;
    }
    while (!word.empty() && (word.back() == ',' || word.back() == '.' || word.back() == ';')) {
        word.remove_suffix(1);
    }
    const std::string lower = toAsciiLower(word);
    return std::find(kCalendarWords.begin(), kCalendarWords.end(), lower) != kCalendarWords.end();
}

// Marks the bytes of a line that change from one query or day to the next: the asked names and
// their labels, words with digits (dates, times, serial numbers) and month and weekday names.
std::vector<bool> variableBytes(std::string_view line, const std::vector<std::string_view>& askedTexts) {
    std::vector<bool> variable(line.size(), false);
    for (const std::string_view asked : askedTexts) {
        if (asked.empty()) {
            continue;
        }
        for (std::size_t at = findIgnoreCase(line, asked, 0); at != std::string_view::npos;
             at = findIgnoreCase(line, asked, at + 1)) {
            std::fill_n(variable.begin() + static_cast<std::ptrdiff_t>(at), asked.size(), true);
        }
    }
    std::size_t start = 0;
    while (start < line.size()) {
        if (isBlank(line[start])) {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < line.size() && !isBlank(line[end])) {
            ++end;
        }
        const std::string_view word = line.substr(start, end - start);
        if (std::any_of(word.begin(), word.end(), isDigit) || isCalendarWord(word)) {
            std::fill(variable.begin() + static_cast<std::ptrdiff_t>(start),
                      variable.begin() + static_cast<std::ptrdiff_t>(end), true);
        }
        start = end;
    }
    return variable;
}

// A stretch without the blanks, quotes and separators around it ("No match for \"" gives
// "No match for").
std::string_view trimMark(std::string_view text) {
    const auto trimmed = [](char c) {
        return isBlank(c) || c == '"' || c == '\'' || c == '`' || c == ':' || c == ';' || c == ',';
    };
    while (!text.empty() && trimmed(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && trimmed(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> result;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        result.push_back(line);
        start = end + 1;
    }
    return result;
}

// The text of a reply with its variable bytes dropped, for telling whether two replies are alike.
std::string stableText(std::string_view reply, const std::vector<std::string_view>& askedTexts) {
    std::string stable;
    for (const std::string_view line : lines(reply)) {
        const std::vector<bool> variable = variableBytes(line, askedTexts);
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (!variable[i] && !isBlank(line[i])) {
                stable += line[i];
            }
        }
        stable += '\n';
    }
    return stable;
}

bool isBlankText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return isBlank(c) || c == '\n'; });
}

// Long enough, and with enough letters, to be a text rather than a sign or a number.
bool looksLikeText(std::string_view candidate) {
    return candidate.size() >= kMinMarkBytes &&
           static_cast<std::size_t>(std::count_if(candidate.begin(), candidate.end(), isLetter)) >= kMinMarkLetters;
}

class MarkSearch {
public:
    explicit MarkSearch(const CalibrationReplies& replies) : m_replies(replies) {
        for (const CalibrationReply& reply : replies.unregistered) {
            addAsked(reply.name);
        }
        addAsked(replies.registered.name);
    }

    const std::vector<std::string_view>& askedTexts() const { return m_askedTexts; }

    // The no-match text: the first whole line of the first free reply that qualifies, else the
    // longest qualifying stretch.
    std::string findNoMatch() const {
        std::size_t tried = 0;
        const auto qualifies = [this, &tried](std::string_view candidate) {
            return looksLikeText(candidate) && ++tried <= NoMatchCalibration::kMaxCandidates &&
                   qualifiesAsNoMatch(candidate);
        };
        return find(m_replies.unregistered.front().text, qualifies);
    }

    // The registered text: the first field label (a line's text before its first colon, nothing in
    // it variable) of the registered reply that qualifies, else as for the no-match text. A label
    // stands in every registered reply of a registry, where the values after it change.
    std::string findRegistered() const {
        std::size_t tried = 0;
        const auto qualifies = [this, &tried](std::string_view candidate) {
            return looksLikeText(candidate) && ++tried <= NoMatchCalibration::kMaxCandidates &&
                   qualifiesAsRegistered(candidate);
        };
        for (const std::string_view line : lines(m_replies.registered.text)) {
            const std::size_t colon = line.find(':');
            if (colon == std::string_view::npos) {
                continue;
            }
            const std::vector<bool> variable = variableBytes(line, m_askedTexts);
            const std::string_view label = trimMark(line.substr(0, colon));
            if (std::none_of(variable.begin(), variable.begin() + static_cast<std::ptrdiff_t>(colon),
                             [](bool v) { return v; }) &&
                qualifies(label)) {
                return std::string(label);
            }
        }
        return find(m_replies.registered.text, qualifies);
    }

private:
    template <typename Qualifies>
    std::string find(std::string_view reply, const Qualifies& qualifiesWithin) const {
        std::string_view longest;
        for (const std::string_view line : lines(reply)) {
            const std::vector<bool> variable = variableBytes(line, m_askedTexts);
            if (std::none_of(variable.begin(), variable.end(), [](bool v) { return v; }) &&
                qualifiesWithin(trimMark(line))) {
                return std::string(trimMark(line));
            }
            std::size_t start = 0;
            while (start < line.size()) {
                if (variable[start]) {
                    ++start;
                    continue;
                }
                std::size_t end = start;
                while (end < line.size() && !variable[end]) {
                    ++end;
                }
                const std::string_view stretch = trimMark(line.substr(start, end - start));
                if (stretch.size() > longest.size() && qualifiesWithin(stretch)) {
                    longest = stretch;
                }
                start = end;
            }
        }
        return std::string(longest);
    }

    bool qualifiesAsNoMatch(std::string_view candidate) const {
        if (!findQuotaLine(candidate).empty() || containsText(m_replies.registered.text, candidate)) {
            return false;
        }
        return std::all_of(m_replies.unregistered.begin(), m_replies.unregistered.end(),
                           [candidate](const CalibrationReply& reply) { return containsText(reply.text, candidate); });
    }

    bool qualifiesAsRegistered(std::string_view candidate) const {
        if (!findQuotaLine(candidate).empty() || !containsText(m_replies.registered.text, candidate)) {
            return false;
        }
        return std::none_of(m_replies.unregistered.begin(), m_replies.unregistered.end(),
                            [candidate](const CalibrationReply& reply) { return containsText(reply.text, candidate); });
    }

    // An asked name, its first label, and the same in the other form of an international name:
    // a registry may echo either.
    void addAsked(std::string_view name) {
        m_askedTexts.push_back(name);
        m_askedTexts.push_back(name.substr(0, name.find('.')));
        for (const IdnConversion& form : {IdnName::toShown(name), IdnName::toAscii(name)}) {
            if (!form.refused() && form.name != name) {
                const std::string_view other = m_otherForms.emplace_back(form.name);
                m_askedTexts.push_back(other);
                m_askedTexts.push_back(other.substr(0, other.find('.')));
            }
        }
    }

    const CalibrationReplies& m_replies;
    std::deque<std::string> m_otherForms; // stays where it is as it grows: m_askedTexts points into it
    std::vector<std::string_view> m_askedTexts;
};

bool isRandomName(std::string_view name) {
    const std::string_view label = name.substr(0, name.find('.'));
    return label.size() >= NoMatchCalibration::kMinRandomLabel && std::all_of(label.begin(), label.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
           });
}

// What makes the replies unusable before any search, empty when nothing.
std::string checkReplies(const CalibrationReplies& replies) {
    if (replies.unregistered.size() < 2) {
        return "two replies about names that cannot exist are needed";
    }
    if (replies.registered.name.empty()) {
        return "a reply about a name that must exist is needed";
    }
    std::vector<const CalibrationReply*> all;
    for (const CalibrationReply& reply : replies.unregistered) {
        if (!isRandomName(reply.name)) {
            return "\"" + reply.name + "\" is not a random name of " +
                   std::to_string(NoMatchCalibration::kMinRandomLabel) + " or more letters";
        }
        all.push_back(&reply);
    }
    all.push_back(&replies.registered);
    for (const CalibrationReply* reply : all) {
        if (isBlankText(reply->text)) {
            return "the server sent an empty reply about " + reply->name;
        }
        if (reply->text.size() > NoMatchCalibration::kMaxReplyBytes) {
            return "the reply about " + reply->name + " is longer than " +
                   std::to_string(NoMatchCalibration::kMaxReplyBytes / 1024) + " KiB";
        }
        if (const std::string_view refusal = findQuotaLine(reply->text); !refusal.empty()) {
            return "the server refused the query about " + reply->name + ": " + std::string(refusal);
        }
    }
    return {};
}

} // namespace

NoMatchCalibration NoMatchCalibration::derive(const CalibrationReplies& replies) {
    NoMatchCalibration result;
    result.m_reason = checkReplies(replies);
    if (!result.m_reason.empty()) {
        return result;
    }
    const MarkSearch search(replies);
    const std::string registered = stableText(replies.registered.text, search.askedTexts());
    if (std::any_of(replies.unregistered.begin(), replies.unregistered.end(), [&](const CalibrationReply& reply) {
            return stableText(reply.text, search.askedTexts()) == registered;
        })) {
        result.m_reason = "the server answers names that cannot exist and " + replies.registered.name + " alike";
        return result;
    }
    result.m_mark = search.findNoMatch();
    if (result.m_mark.empty()) {
        result.m_reason = "no text is in every reply about a name that cannot exist and missing from the reply about " +
                          replies.registered.name;
        return result;
    }
    result.m_registered = search.findRegistered();
    if (result.m_registered.empty()) {
        result.m_mark.clear();
        result.m_reason = "no text is in the reply about " + replies.registered.name +
                          " and missing from every reply about a name that cannot exist";
    }
    return result;
}

} // namespace cvt
