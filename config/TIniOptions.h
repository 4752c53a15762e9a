#pragma once

#include "config/IniFile.h"
#include "core/query/RunSettings.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cvt {

// The program's settings: the language code, the accepted WHOIS server-entry lines and the DNS check.
class TIniOptions {
public:
    // The language code as read ("zh-cn" gives Chinese, anything else English). A file without the
    // key gives the reader's default "'zh-cn'" with its apostrophes, so such a file opens in English.
    std::string Language;
    // The "num" value as read (5 when missing or not a number); a save writes the line count instead.
    std::int32_t Num = 0;
    // The accepted server-entry lines in key order, trimmed.
    std::vector<std::string> WhoisLines;
    // The key number each line of WhoisLines was read from, so problems can name the key.
    std::vector<std::int32_t> WhoisKeys;
    // The word-list dialog's "Visible text only" tick box ([setting] visibletext, 1 or 0; ticked
    // when missing).
    bool VisibleTextOnly = true;
    // "[setting] dns": names are first asked of DNS when not 0 (missing or 0: off).
    bool Dns = false;
    // "[setting] dns_server" as read (empty: the system's resolvers); DnsServerSetting::parse reads it.
    std::string DnsServer;
    // Lanes, pace and back-off of a run ([setting] parallel, interval, backoff; [interval]).
    RunSettings Run;
    // What was wrong with those settings, one English line each; the defaults stand in.
    std::vector<std::string> RunWarnings;

    // Loads the file when it exists (a missing file changes nothing). Throws IniReadError when it
    // exists but cannot be read.
    void LoadFromFile(const std::filesystem::path& path);
    // Writes the settings into the file, creating it when missing, replacing it atomically and
    // keeping everything else in it. Throws IniWriteError("Unable to write to <path>").
    void SaveToFile(const std::filesystem::path& path, FileOps& ops = FileOps::system()) const;

    // Reads language, num, dns, dns_server and whois keys 1 to num; keys shorter than six bytes after trimming, and
    // missing ones, are skipped. Appends to WhoisLines. Does nothing without a file.
    void LoadFromIni(const IniFile* ini);
    // Writes language, num (the line count) and whois keys 1 to that count; nothing is deleted.
    void SaveToIni(IniFile* ini) const;
};

} // namespace cvt
