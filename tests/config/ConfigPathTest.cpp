#include "config/ConfigPath.h"

#include "config/DataFolders.h"
#include "tests/support/TempDir.h"
#include "tests/support/Unprivileged.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace cvt {
namespace {

using test::readFileBytes;
using test::TempDir;

TEST(ConfigPathTest, DefaultsToConfigIniBesideTheRunningProgramInTheBuild) {
    // The build's program folder is writable and holds the shipped Config.ini: portable mode.
    const std::filesystem::path path = ConfigPath();
    EXPECT_EQ(path, executableDirectory() / "Config.ini");
    EXPECT_TRUE(std::filesystem::exists(path.parent_path() / "config_ConfigPathTest"));
    EXPECT_EQ(installedDataDirectory(), (executableDirectory() / "../share/corvantide").lexically_normal());
}

// A program folder, an installed data folder and a home, each optional.
struct Layout {
    TempDir dir;
    ConfigPlaces places{dir.file("bin"), dir.file("share/corvantide"), dir.file("home/.config/corvantide")};

    Layout(bool beside, bool installed) {
        std::filesystem::create_directories(places.programFolder);
        std::filesystem::create_directories(places.installedFolder);
        if (beside) {
            dir.write("bin/Config.ini", "[setting]\nlanguage=en\n");
        }
        if (installed) {
            dir.write("share/corvantide/Config.ini", "[setting]\nlanguage=zh-cn\n");
        }
    }
};

TEST(ConfigPathTest, PicksPortablePerUserOrShippedFile) {
    struct Case {
        const char* name;
        bool beside;
        bool installed;
        std::optional<std::string> existingOwn; // the user's file before the start
        bool userFolderBlocked;                 // a plain file stands where the folder must go
        ConfigKind kind;
        const char* chosen; // relative to the layout
        std::optional<std::string> ownAfter;
    };
    const std::string installedText = "[setting]\nlanguage=zh-cn\n";
    const std::vector<Case> cases = {
        {"beside in a writable folder", true, true, std::nullopt, false, ConfigKind::Portable, "bin/Config.ini",
         std::nullopt},
        {"first start copies the installed file", false, true, std::nullopt, false, ConfigKind::PerUser,
         "home/.config/corvantide/Config.ini", installedText},
        {"the user's file is kept", false, true, "[setting]\nlanguage=en\n", false, ConfigKind::PerUser,
         "home/.config/corvantide/Config.ini", "[setting]\nlanguage=en\n"},
        {"nothing shipped: the folder only", false, false, std::nullopt, false, ConfigKind::PerUser,
         "home/.config/corvantide/Config.ini", std::nullopt},
        {"no per-user folder possible", false, true, std::nullopt, true, ConfigKind::Shipped,
         "share/corvantide/Config.ini", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layout layout(c.beside, c.installed);
        if (c.existingOwn) {
            std::filesystem::create_directories(layout.places.userFolder);
            layout.dir.write("home/.config/corvantide/Config.ini", *c.existingOwn);
        }
        if (c.userFolderBlocked) {
            layout.dir.write("home", "not a folder");
        }
        const ConfigLocation location = locateConfig(layout.places);
        EXPECT_EQ(location.kind, c.kind);
        EXPECT_EQ(location.path, layout.dir.file(c.chosen));
        EXPECT_EQ(location.problem.empty(), c.kind != ConfigKind::Shipped) << location.problem;
        const std::filesystem::path own = layout.places.userFolder / "Config.ini";
        EXPECT_EQ(std::filesystem::exists(own), c.ownAfter.has_value());
        if (c.ownAfter) {
            EXPECT_EQ(readFileBytes(own), *c.ownAfter);
        }
        if (c.kind == ConfigKind::PerUser) {
            EXPECT_TRUE(std::filesystem::is_directory(layout.places.userFolder)) << "a later save can create the file";
            // No temporary copy is left behind.
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(layout.places.userFolder), {}),
                      c.ownAfter ? 1 : 0);
        }
    }
}

TEST(ConfigPathTest, ReadOnlyProgramFolderUsesAPerUserCopyOfTheFileBesideIt) {
    Layout layout(true, true);
    // The ordinary user may create its home folder in the layout but not write the program folder.
    std::filesystem::permissions(layout.dir.path(), std::filesystem::perms::all);
    ASSERT_EQ(::chmod(layout.places.programFolder.c_str(), 0555), 0);
    EXPECT_EQ(test::runUnprivileged([&]() -> std::string {
                  const ConfigLocation location = locateConfig(layout.places);
                  if (location.kind != ConfigKind::PerUser) {
                      return "not the per-user file: " + location.path.string() + " " + location.problem;
                  }
                  return location.path == layout.places.userFolder / "Config.ini" ? "" : location.path.string();
              }),
              "");
    ::chmod(layout.places.programFolder.c_str(), 0755);
    EXPECT_EQ(readFileBytes(layout.places.userFolder / "Config.ini"), "[setting]\nlanguage=en\n");
}

TEST(ConfigPathTest, NoHomeReadsTheShippedFile) {
    Layout layout(false, true);
    layout.places.userFolder.clear();
    const ConfigLocation location = locateConfig(layout.places);
    EXPECT_EQ(location.kind, ConfigKind::Shipped);
    EXPECT_EQ(location.path, layout.places.installedFolder / "Config.ini");
}

// Sets an environment variable for one scope, restoring the old value after.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvironmentValue() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }
    EnvironmentValue(const EnvironmentValue&) = delete;
    EnvironmentValue& operator=(const EnvironmentValue&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(ConfigPathTest, XdgBaseFoldersFallBackToHomeForUnsetEmptyOrRelativeValues) {
    const EnvironmentValue home("HOME", "/home/tester");
    const struct {
        const char* value;
        const char* expected;
    } cases[] = {
        {"/custom/config", "/custom/config"},
        {nullptr, "/home/tester/.config"},
        {"", "/home/tester/.config"},
        {"relative/config", "/home/tester/.config"},
    };
    for (const auto& c : cases) {
        const EnvironmentValue xdg("XDG_CONFIG_HOME", c.value);
        EXPECT_EQ(xdgBaseDirectory("XDG_CONFIG_HOME", ".config"), c.expected) << (c.value ? c.value : "(unset)");
    }
}

TEST(ConfigPathTest, DataFilesComeFromTheFirstFolderHoldingThem) {
    TempDir dir;
    const std::vector<std::filesystem::path> folders = {dir.file("here"), dir.file("user"), dir.file("installed")};
    for (const auto& folder : folders) {
        std::filesystem::create_directories(folder);
    }
    dir.write("user/en.dct", "u");
    dir.write("installed/en.dct", "i");
    dir.write("installed/zh-cn.dct", "i");
    EXPECT_EQ(folderHolding("en.dct", folders), folders[1]);
    EXPECT_EQ(folderHolding("zh-cn.dct", folders), folders[2]);
    EXPECT_EQ(folderHolding("missing.dct", folders), folders[0]) << "a missing file is missing from the first";

    const EnvironmentValue data("XDG_DATA_HOME", "/data/home");
    const std::vector<std::filesystem::path> defaults = dataFolders();
    ASSERT_EQ(defaults.size(), 3U);
    EXPECT_EQ(defaults[0], ".");
    EXPECT_EQ(defaults[1], "/data/home/corvantide");
    EXPECT_EQ(defaults[2], installedDataDirectory());
}

} // namespace
} // namespace cvt
