// Writing any section, key and value into any file: either the write is refused, or the value reads
// back exactly as written, from the changed file and from its text read anew, and the keys of the
// other sections keep their values.
#include "config/IniFile.h"
#include "fuzz/FuzzInput.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using cvt::fuzz::require;
    cvt::fuzz::FieldReader input(data, size);
    const std::string section(input.next());
    const std::string key(input.next());
    const std::string value(input.next());
    const std::string_view file = input.rest();

    cvt::IniFile ini(file);
    // A section other than the one written to keeps its values.
    std::string folded = section;
    for (char& c : folded) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const std::string other = folded == "other" ? "another" : "other";
    const std::string otherBefore = ini.readString(other, "k", "\x01missing");
    try {
        ini.writeString(section, key, value);
    } catch (const std::invalid_argument&) {
        require(ini.text() == file);
        return 0;
    }
    require(ini.readString(section, key, "\x01missing") == value);
    const cvt::IniFile reread(ini.text());
    require(reread.readString(section, key, "\x01missing") == value);
    require(reread.readString(other, "k", "\x01missing") == otherBefore);
    return 0;
}
