#include "core/export/TextExport.h"

#include "tests/support/TempDir.h"
#include "tests/support/Unprivileged.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace cvt {
namespace {

namespace fs = std::filesystem;

ResultTableSnapshot table(std::vector<std::string> captions, std::vector<ResultRow> rows) {
    return ResultTableSnapshot{std::move(captions), std::move(rows)};
}

std::vector<std::string> folderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct BytesCase {
    const char* title;
    ResultTableSnapshot table;
    std::string expected;
};

TEST(TextExportTest, WritesEveryFieldWithTabAndEveryLineWithCrLf) {
    const BytesCase cases[] = {
        {"empty table: header only", table({"Domain Name", "com", "net"}, {}), "Domain Name\tcom\tnet\t\r\n"},
        {"no columns at all", table({}, {}), "\r\n"},
        {"chinese captions and the marks in UTF-8",
         table({"域名", "com", "net"}, {{"phone", {Mark::Free, Mark::Registered}}}),
         "\xE5\x9F\x9F\xE5\x90\x8D\tcom\tnet\t\r\nphone\t\xE2\x98\x86\t\xE2\x98\x85\t\r\n"},
        {"short row writes only its own cells",
         table({"Domain Name", "com", "net", "org"}, {{"a", {Mark::Free}}, {"b", {}}}),
         "Domain Name\tcom\tnet\torg\t\r\na\t☆\t\r\nb\t\r\n"},
        {"long row writes every cell it has",
         table({"Domain Name", "com"}, {{"a", {Mark::Registered, Mark::Failed, Mark::Free}}}),
         "Domain Name\tcom\t\r\na\t★\t-\t☆\t\r\n"},
        {"empty cells give nothing between two tabs",
         table({"Domain Name", "com", "net"}, {{"x", {Mark::Unasked, Mark::Failed}}}),
         "Domain Name\tcom\tnet\t\r\nx\t\t-\t\r\n"},
        {"rows in list order, not sorted", table({"N", "com"}, {{"zz", {Mark::Registered}}, {"aa", {Mark::Free}}}),
         "N\tcom\t\r\nzz\t★\t\r\naa\t☆\t\r\n"},
    };
    for (const BytesCase& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(ExportTextBytes(c.table), c.expected);
        std::ostringstream stream;
        WriteExportText(c.table, stream);
        EXPECT_EQ(stream.str(), c.expected);

        test::TempDir dir;
        ExportToText(c.table, dir.file("domain.txt"));
        EXPECT_EQ(test::readFileBytes(dir.file("domain.txt")), c.expected);
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"domain.txt"}) << "no temporary file left";
    }
}

TEST(TextExportTest, ReplacesAnExistingFileAndKeepsItsPermissions) {
    test::TempDir dir;
    const fs::path file = dir.write("domain.txt", std::string(5000, 'x'));
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);

    ExportToText(table({"N", "com"}, {{"a", {Mark::Free}}}), file);

    EXPECT_EQ(test::readFileBytes(file), "N\tcom\t\r\na\t☆\t\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(TextExportTest, WritesThroughSymbolicLinksAndKeepsThem) {
    test::TempDir dir;
    const fs::path real = dir.write("real.txt", "old");
    const fs::path link = dir.file("link.txt");
    fs::create_symlink("real.txt", dir.file("middle.txt"));
    fs::create_symlink("middle.txt", link);

    ExportToText(table({"N"}, {}), link);

    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(dir.file("middle.txt")));
    EXPECT_EQ(test::readFileBytes(real), "N\t\r\n");
}

TEST(TextExportTest, APipeIsWrittenIntoNotReplaced) {
    test::TempDir dir;
    const fs::path pipe = dir.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // A reader is open before the export, so its writer neither blocks nor finds no reader.
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    ExportToText(table({"N", "com"}, {{"a", {Mark::Free}}}), pipe);

    char buffer[256];
    const ssize_t got = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0), "N\tcom\t\r\na\t☆\t\r\n");
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"pipe"});
}

struct UncreatableCase {
    const char* title;
    std::function<fs::path(const test::TempDir&)> target;
    const char* reason;
};

TEST(TextExportTest, UncreatableFileRaisesTheMessageWithTheSystemsReasonAndWritesNothing) {
    const UncreatableCase cases[] = {
        {"missing folder", [](const test::TempDir& d) { return d.file("missing") / "domain.txt"; },
         "No such file or directory"},
        {"target is a folder",
         [](const test::TempDir& d) {
             fs::create_directory(d.file("folder.txt"));
             return d.file("folder.txt");
         },
         "Is a directory"},
        {"parent is a file", [](const test::TempDir& d) { return d.write("plain", "p") / "domain.txt"; },
         "Not a directory"},
    };
    for (const UncreatableCase& c : cases) {
        SCOPED_TRACE(c.title);
        test::TempDir dir;
        const fs::path target = c.target(dir);
        const std::vector<std::string> before = folderEntries(dir.path());
        try {
            ExportToText(table({"N", "com"}, {{"a", {Mark::Free}}}), target);
            ADD_FAILURE() << "no exception";
        } catch (const ECreateFileError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Cannot create file \"" + target.string() + "\". " + std::string(c.reason));
        }
        EXPECT_EQ(folderEntries(dir.path()), before);
    }
}

TEST(TextExportTest, ReadOnlyFileOrFolderIsRefusedAndLeftAlone) {
    test::TempDir dir;
    fs::permissions(dir.path(), fs::perms::all); // the unprivileged user may write here
    const fs::path file = dir.write("locked.txt", "keep");
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    const fs::path folder = dir.file("ro");
    fs::create_directory(folder);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const auto refused = [](const fs::path& target) {
        return test::runUnprivileged([&]() -> std::string {
            try {
                ExportToText(table({"N"}, {}), target);
                return "written";
            } catch (const ECreateFileError&) {
                return "";
            }
        });
    };
    EXPECT_EQ(refused(file), "") << "a read-only file";
    EXPECT_EQ(test::readFileBytes(file), "keep");
    EXPECT_EQ(refused(folder / "domain.txt"), "") << "a read-only folder";
    EXPECT_TRUE(folderEntries(folder).empty());
    ::chmod(folder.c_str(), 0755);
}

} // namespace
} // namespace cvt
