#pragma once

// A main window built as the program builds it, on a Config.ini in a temporary folder, with the
// real WHOIS client asking fake servers on 127.0.0.1.

#include "config/TIniOptions.h"
#include "core/query/NetWhoisLookup.h"
#include "core/query/QueryEngine.h"
#include "net/whois/TNetWhois.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/MarkGlyphs.h"
#include "tests/support/TempDir.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ResultTableModel.h"
#include "ui/TfrmText.h"
#include "ui/TfrmWhoisInfo.h"
#include "ui/TfrmWhoisMain.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cvt::test {

// "[setting]" with the language and "[whois]" with one line per entry.
inline std::string configText(const std::string& language, const std::vector<std::string>& whoisLines) {
    std::string text =
        "[setting]\r\nlanguage=" + language + "\r\nnum=" + std::to_string(whoisLines.size()) + "\r\n[whois]\r\n";
    for (std::size_t i = 0; i < whoisLines.size(); ++i) {
        text += std::to_string(i + 1) + "=" + whoisLines[i] + "\r\n";
    }
    return text;
}

// One "[whois]" line per suffix, all asking the same host with the mark "No match for".
inline std::vector<std::string> suffixLines(const std::string& host, std::initializer_list<const char*> suffixes) {
    std::vector<std::string> lines;
    for (const char* suffix : suffixes) {
        lines.push_back(std::string(suffix) + "+" + host + "+No match for");
    }
    return lines;
}

// A fake server's script: names starting with "a" are free everywhere, all others registered.
inline FakeWhoisScript freeWhenStartingWithA() {
    return FakeWhoisServer::answer([](std::string_view query) {
        return query.starts_with("a") ? "No match for \"" + std::string(query) + "\".\r\n"
                                      : "Domain Name: " + std::string(query) + "\r\n";
    });
}

inline ResultRow row(std::string caption, const std::vector<std::string>& cells) {
    return ResultRow{std::move(caption), marksOf(cells)};
}

struct WindowHarness {
    // config: the content of Config.ini, or none for a missing file.
    // locate: where the shipped suffix data is (none: Config.ini's entries alone).
    explicit WindowHarness(const std::optional<std::string>& config, std::filesystem::path configPath = {},
                           std::function<std::filesystem::path(std::string_view)> locate = {})
        : locateData(std::move(locate)) {
        path = configPath.empty() ? dir.file("Config.ini") : configPath;
        if (config) {
            dir.write("Config.ini", *config);
        }
        build();
    }

    // Builds the windows afresh, as a new start of the program would.
    void build() {
        info.reset();
        text.reset();
        main.reset();
        options = TIniOptions{};
        const auto makeClient = [this] {
            auto lookup = std::make_unique<NetWhoisLookup>();
            if (whoisReadTimeoutMs) {
                lookup->client().SetReadTimeout(*whoisReadTimeoutMs);
            }
            return lookup;
        };
        MainWindowDeps deps{prompts, options, makeClient, path, openProgram, openPatience};
        deps.locateData = locateData;
        deps.journalPath = journalPath;
        main = std::make_unique<TfrmWhoisMain>(std::move(deps));
        text = std::make_unique<TfrmText>(prompts, main.get());
        info = std::make_unique<TfrmWhoisInfo>(main.get());
        main->setDialogs(text.get(), info.get());
    }

    ~WindowHarness() {
        info.reset();
        text.reset();
        main.reset();
    }

    // Waits until no worker is left and every change they made is on screen.
    bool waitIdle(int limitMs = 60000) {
        const bool idle = waitUntil([this] { return !main->engine().isBusy(); }, limitMs);
        main->applyPendingChanges();
        return idle;
    }

    std::vector<ResultRow> rows() const { return main->resultModel().rows(); }
    std::vector<std::string> captions() const { return main->resultModel().captions(); }

    TempDir dir;
    std::filesystem::path path;
    std::function<std::filesystem::path(std::string_view)> locateData;
    // What opens an exported workbook: "true" stands for a desktop with a spreadsheet program.
    std::string openProgram = "true";
    // How long an export waits for it to fail before it watches it.
    std::chrono::milliseconds openPatience{2000};
    // The WHOIS clients' wait for each part of a reply (0: no limit), for the lanes begun after it
    // is set; none keeps the client's own.
    std::optional<int> whoisReadTimeoutMs;
    // The results journal of the windows built after it is set; none by default.
    std::filesystem::path journalPath;
    TIniOptions options;
    FakePrompts prompts;
    std::unique_ptr<TfrmWhoisMain> main;
    std::unique_ptr<TfrmText> text;
    std::unique_ptr<TfrmWhoisInfo> info;
};

} // namespace cvt::test
