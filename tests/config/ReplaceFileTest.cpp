#include "config/ReplaceFile.h"

#include "config/IniError.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace cvt {
namespace {

// Real calls, with one chosen call made to fail, write short or be interrupted.
class FaultyOps : public FileOps {
public:
    enum class Fault { None, MakeTemp, Write, ShortWrites, Interrupted, Sync, Close, Rename };
    explicit FaultyOps(Fault fault) : m_fault(fault) {}

    int makeTemp(std::string& pathTemplate) override {
        return failIf(Fault::MakeTemp, EACCES, [&] { return FileOps::makeTemp(pathTemplate); });
    }
    ssize_t write(int fd, const void* data, std::size_t size) override {
        ++m_writes;
        switch (m_fault) {
        case Fault::Write:
            errno = ENOSPC;
            return -1;
        case Fault::ShortWrites:
            return FileOps::write(fd, data, std::min<std::size_t>(size, 3));
        case Fault::Interrupted:
            if (m_writes % 2 == 1) {
                errno = EINTR;
                return -1;
            }
            return FileOps::write(fd, data, std::min<std::size_t>(size, 5));
        default:
            return FileOps::write(fd, data, size);
        }
    }
    int sync(int fd) override {
        return failIf(Fault::Sync, EIO, [&] { return FileOps::sync(fd); });
    }
    int close(int fd) override {
        const int result = FileOps::close(fd);
        return m_fault == Fault::Close ? (errno = EIO, -1) : result;
    }
    int rename(const std::string& from, const std::string& to) override {
        return failIf(Fault::Rename, EROFS, [&] { return FileOps::rename(from, to); });
    }

private:
    template <typename Call>
    int failIf(Fault fault, int error, Call call) {
        if (m_fault == fault) {
            errno = error;
            return -1;
        }
        return call();
    }

    Fault m_fault;
    int m_writes = 0;
};

TEST(ReplaceFileTest, WritesThroughShortWritesAndInterruptionsAndAnyFailureLeavesTheOldFile) {
    using Fault = FaultyOps::Fault;
    const Fault failing[] = {Fault::MakeTemp, Fault::Write, Fault::Sync, Fault::Close, Fault::Rename};
    for (const auto fault : {Fault::None, Fault::ShortWrites, Fault::Interrupted, Fault::MakeTemp, Fault::Write,
                             Fault::Sync, Fault::Close, Fault::Rename}) {
        SCOPED_TRACE(static_cast<int>(fault));
        const bool fails = std::find(std::begin(failing), std::end(failing), fault) != std::end(failing);
        test::TempDir dir;
        const auto path = dir.write("Config.ini", "old content");
        FaultyOps ops(fault);
        try {
            replaceFile(path, "new content, somewhat longer", ops);
            EXPECT_FALSE(fails);
        } catch (const IniWriteError& error) {
            EXPECT_TRUE(fails);
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + path.string());
        }
        EXPECT_EQ(test::readFileBytes(path), fails ? "old content" : "new content, somewhat longer");
        // No temporary file is left behind.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }
}

TEST(ReplaceFileTest, CreatesMissingFilesAndKeepsPermissions) {
    test::TempDir dir;
    replaceFile(dir.file("new.ini"), "x");
    EXPECT_EQ(test::readFileBytes(dir.file("new.ini")), "x");
    EXPECT_EQ(std::filesystem::status(dir.file("new.ini")).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read | std::filesystem::perms::others_read);

    const auto kept = dir.write("kept.ini", "a");
    std::filesystem::permissions(kept, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    replaceFile(kept, "b");
    EXPECT_EQ(std::filesystem::status(kept).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(ReplaceFileTest, ReplacesTheTargetOfASymbolicLink) {
    test::TempDir dir;
    const auto real = dir.write("real.ini", "old");
    std::filesystem::create_symlink(real, dir.file("link.ini"));
    replaceFile(dir.file("link.ini"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(test::readFileBytes(real), "new");
}

TEST(ReplaceFileTest, UnwritablePlacesRaiseTheWriteError) {
    test::TempDir dir;
    const auto notAFolder = dir.write("plain", "x");
    EXPECT_THROW(replaceFile(notAFolder / "Config.ini", "y"), IniWriteError);
    EXPECT_THROW(replaceFile(dir.file("no/such/folder/Config.ini"), "y"), IniWriteError);

    // A read-only folder stops everyone but the superuser.
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the superuser writes into read-only folders; the injected failures cover this case";
    }
    const auto readOnly = dir.file("readonly");
    std::filesystem::create_directory(readOnly);
    const auto inside = readOnly / "Config.ini";
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(replaceFile(inside, "y"), IniWriteError);
    EXPECT_FALSE(std::filesystem::exists(inside));
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_all);
}

} // namespace
} // namespace cvt
