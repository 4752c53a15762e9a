// INI reader and writer: any bytes must read, write back and read again without a crash.
#include "config/IniFile.h"
#include "config/TIniOptions.h"
#include "config/WindowStateIni.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    cvt::IniFile ini(text);
    // An unchanged file is given back byte for byte.
    if (ini.text() != text) {
        std::abort();
    }
    cvt::TIniOptions options;
    options.LoadFromIni(&ini);
    if (options.WhoisLines.size() != options.WhoisKeys.size()) {
        std::abort();
    }
    for (const auto& line : options.WhoisLines) {
        if (line.size() < 6 || line.size() > cvt::IniFile::kMaxValueLength) {
            std::abort();
        }
    }
    // The window's remembered state: what reads back is what was written.
    const cvt::WindowState state = cvt::WindowState::readFrom(ini);
    cvt::IniFile stateCopy(text);
    state.writeTo(stateCopy);
    if (!(cvt::WindowState::readFrom(cvt::IniFile(stateCopy.text())) == state)) {
        std::abort();
    }
    options.Language = "en";
    options.SaveToIni(&ini);
    cvt::TIniOptions reread;
    const cvt::IniFile saved(ini.text());
    reread.LoadFromIni(&saved);
    if (reread.Language != "en" || reread.Num != static_cast<std::int32_t>(options.WhoisLines.size())) {
        std::abort();
    }
    return 0;
}
