#include "net/rdap/RdapReply.h"

#include "text/AsciiCase.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace cvt {

namespace {

constexpr std::chrono::seconds kLongestRetryAfter{86400};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// The decimal number of exactly `width` digits at text[at]; -1 otherwise.
int fixedNumber(std::string_view text, std::size_t at, std::size_t width) {
    if (at + width > text.size()) {
        return -1;
    }
    int value = 0;
    for (std::size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// In whole seconds: the system clock's nanoseconds reach only about 292 years either side of 1970,
// and a date may name any year up to 9999.
std::optional<std::chrono::sys_seconds> parseHttpDate(std::string_view text) {
    // "Sun, 06 Nov 1994 08:49:37 GMT"
    static constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (text.size() != 29 || text.substr(3, 2) != ", " || text[7] != ' ' || text[11] != ' ' || text[16] != ' ' ||
        text[19] != ':' || text[22] != ':' || text.substr(25) != " GMT") {
        return std::nullopt;
    }
    const auto month = std::find(kMonths.begin(), kMonths.end(), text.substr(8, 3));
    const int day = fixedNumber(text, 5, 2);
    const int year = fixedNumber(text, 12, 4);
    const int hour = fixedNumber(text, 17, 2);
    const int minute = fixedNumber(text, 20, 2);
    const int second = fixedNumber(text, 23, 2);
    if (month == kMonths.end() || day < 1 || year < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 60) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(static_cast<unsigned>(month - kMonths.begin() + 1)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok()) {
        return std::nullopt;
    }
    return std::chrono::sys_days(date) + std::chrono::hours(hour) + std::chrono::minutes(minute) +
           std::chrono::seconds(second);
}

bool isJsonBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether an ldhName names the asked domain: letter case and one final dot do not count.
bool namesAsked(std::string_view ldhName, std::string_view asked) {
    if (ldhName.ends_with('.')) {
        ldhName.remove_suffix(1);
    }
    return equalsIgnoreCase(ldhName, asked);
}

// Writes the events of the JSON parser as text, indented (two blanks a level) or compact, and notes
// what the judgement needs. Refuses nesting beyond kMaxRdapNesting and stops once the text would
// pass its budget.
class JsonLayout {
public:
    using Json = nlohmann::json;

    JsonLayout(bool indented, std::size_t budget, std::string_view asked)
        : m_indented(indented), m_budget(budget), m_asked(asked) {}

    bool null() { return scalar("null"); }
    bool boolean(bool value) { return scalar(value ? "true" : "false"); }
    bool number_integer(Json::number_integer_t value) { return scalar(std::to_string(value)); }
    bool number_unsigned(Json::number_unsigned_t value) { return scalar(std::to_string(value)); }
    bool number_float(Json::number_float_t /*value*/, const std::string& text) { return scalar(text); }
    bool string(std::string& value) {
        m_domainValues += isClassValue() && value == "domain" ? 1 : 0;
        m_otherName = m_otherName || (isTopValueOf(kNameKey) && !namesAsked(value, m_asked));
        beforeValue();
        writeQuoted(value);
        return fits();
    }
    bool binary(Json::binary_t& /*value*/) { return false; }
    bool start_object(std::size_t /*elements*/) {
        if (m_levels.empty()) {
            m_object = true;
        }
        return open('{');
    }
    bool key(std::string& name) {
        if (m_levels.size() == 1) {
            m_key = name;
            m_errorCode = m_errorCode || name == "errorCode";
        }
        separate();
        writeQuoted(name);
        m_text += m_indented ? ": " : ":";
        m_afterKey = true;
        return fits();
    }
    bool end_object() { return close('}'); }
    bool start_array(std::size_t /*elements*/) { return open('['); }
    bool end_array() { return close(']'); }
    bool parse_error(std::size_t /*position*/, const std::string& /*token*/, const nlohmann::detail::exception&) {
        return false;
    }

    bool overflowed() const { return m_overflowed; }
    bool cut() const { return m_cut; }
    bool isDomain() const { return m_object && m_classes > 0 && m_classes == m_domainValues && !m_errorCode; }
    bool aboutOtherName() const { return m_otherName; }
    std::string take() { return std::move(m_text); }

private:
    static constexpr std::string_view kClassKey = "objectClassName";
    static constexpr std::string_view kNameKey = "ldhName";

    // A value of the outermost object's member `key` comes next.
    bool isTopValueOf(std::string_view key) const { return m_afterKey && m_levels.size() == 1 && m_key == key; }
    bool isClassValue() const { return isTopValueOf(kClassKey); }
    // A value inside an array starts on a line of its own; one after a key follows it.
    void beforeValue() {
        m_classes += isClassValue() ? 1 : 0;
        if (m_afterKey) {
            m_afterKey = false;
        } else if (!m_levels.empty()) {
            separate();
        }
    }
    void separate() {
        if (m_levels.back()) {
            m_text += ',';
        }
        m_levels.back() = true;
        newLine(m_levels.size());
    }
    void newLine(std::size_t depth) {
        if (m_indented) {
            m_text += '\n';
            m_text.append(2 * depth, ' ');
        }
    }
    bool scalar(std::string_view text) {
        beforeValue();
        m_text += text;
        return fits();
    }
    bool open(char bracket) {
        if (m_levels.size() >= kMaxRdapNesting) {
            return false;
        }
        beforeValue();
        m_text += bracket;
        m_levels.push_back(false);
        return fits();
    }
    bool close(char bracket) {
        const bool filled = m_levels.back();
        m_levels.pop_back();
        if (filled) {
            newLine(m_levels.size());
        }
        m_text += bracket;
        return fits();
    }
    void writeQuoted(std::string_view value) {
        static constexpr char kHex[] = "0123456789abcdef";
        m_text += '"';
        for (const char c : value) {
            if (m_text.size() > m_budget) {
                return; // fits() ends or cuts the text
            }
            const auto byte = static_cast<unsigned char>(c);
            switch (c) {
            case '"':
                m_text += "\\\"";
                break;
            case '\\':
                m_text += "\\\\";
                break;
            case '\n':
                m_text += "\\n";
                break;
            case '\r':
                m_text += "\\r";
                break;
            case '\t':
                m_text += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    m_text += "\\u00";
                    m_text += kHex[byte >> 4];
                    m_text += kHex[byte & 0xf];
                } else {
                    m_text += c;
                }
            }
        }
        m_text += '"';
    }
    // Indented, a text past its budget ends the reading (it is read again compactly); compact, the
    // text is cut there and the reading goes on, for the judgement.
    bool fits() {
        if (m_text.size() <= m_budget) {
            return true;
        }
        m_overflowed = true;
        if (m_indented) {
            return false;
        }
        m_text.resize(m_budget);
        m_cut = true;
        return true;
    }

    bool m_indented;
    std::size_t m_budget;
    std::string_view m_asked;
    std::string m_text;
    std::vector<bool> m_levels; // per open bracket: whether it holds an element yet
    bool m_afterKey = false;
    bool m_overflowed = false;
    bool m_cut = false;
    bool m_object = false;  // the reply is an object
    int m_classes = 0;      // values of its objectClassName
    int m_domainValues = 0; // ... that are "domain"
    bool m_errorCode = false;
    bool m_otherName = false; // an ldhName of the outermost object names another domain
    std::string m_key;        // the last key of the outermost object
};

constexpr std::string_view kCutNote = "\n[cut: the reply is longer]";

struct JsonReading {
    bool valid = false;
    bool isDomain = false;
    bool aboutOtherName = false;
    std::string layout;
};

// Reads the body once, indented; a body whose indented text would be much longer than itself (deep
// nesting of short elements) is read again and written compactly, which is never much longer than
// the body. Past kMaxRdapDetails the text is cut.
JsonReading readJson(const std::string& body, std::string_view asked) {
    JsonReading reading;
    const std::size_t indentedBudget = std::min(kMaxRdapDetails, 3 * body.size() + 4096);
    for (const bool indented : {true, false}) {
        JsonLayout layout(indented, indented ? indentedBudget : kMaxRdapDetails - kCutNote.size(), asked);
        reading.valid = nlohmann::json::sax_parse(body, &layout);
        if (indented && layout.overflowed()) {
            continue;
        }
        reading.isDomain = reading.valid && layout.isDomain();
        reading.aboutOtherName = layout.aboutOtherName();
        reading.layout = layout.take();
        if (layout.cut()) {
            reading.layout += kCutNote;
            reading.layout.shrink_to_fit();
        }
        break;
    }
    return reading;
}

} // namespace

std::optional<std::chrono::seconds> parseRetryAfter(std::string_view value, std::chrono::system_clock::time_point now) {
    value = trimmed(value);
    if (value.empty()) {
        return std::nullopt;
    }
    if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        long long seconds = 0;
        for (const char c : value) {
            seconds = std::min<long long>(seconds * 10 + (c - '0'), kLongestRetryAfter.count());
        }
        return std::chrono::seconds(seconds);
    }
    const auto date = parseHttpDate(value);
    if (!date) {
        return std::nullopt;
    }
    // Rounded up to whole seconds, computed in seconds so that no year overflows.
    const auto wait = *date - std::chrono::floor<std::chrono::seconds>(now);
    return std::clamp(wait, std::chrono::seconds(0), kLongestRetryAfter);
}

RdapOutcome rdapOutcomeOf(const RdapReply& reply, std::chrono::system_clock::time_point now) {
    RdapOutcome outcome;
    outcome.reason = reply.statusLine;
    outcome.status = reply.status;
    JsonReading json = readJson(reply.body, reply.asked);
    outcome.details = json.valid ? std::move(json.layout) : reply.statusLine;
    const bool blank = std::all_of(reply.body.begin(), reply.body.end(), isJsonBlank);
    if (reply.status == 404 && (blank || json.valid)) {
        outcome.mark = RdapMark::Free;
    } else if (reply.status == 200 && json.isDomain && json.aboutOtherName) {
        outcome.reason = reply.statusLine + " (the reply is about another name)";
    } else if (reply.status == 200 && json.isDomain) {
        outcome.mark = RdapMark::Registered;
    } else if (reply.status == 404 || reply.status == 200) {
        // An HTML page, a portal, a proxy's error or another kind of object says nothing about the name.
        outcome.reason = reply.statusLine + " (not an RDAP reply)";
    }
    if (reply.status == 429 || reply.status == 503) {
        outcome.retryAfter = parseRetryAfter(reply.retryAfter, now);
    }
    return outcome;
}

} // namespace cvt
