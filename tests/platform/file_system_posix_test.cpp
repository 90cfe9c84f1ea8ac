// The POSIX file system: drive letters from Wine's dosdevices folder.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "platform/file_system.h"
#include "support/test_support.h"

namespace kovrel::platform {
namespace {

namespace fs = std::filesystem;

std::string letters(const std::vector<Drive>& drives) {
    std::string out;
    for (const auto& d : drives)
        out += d.letter;
    return out;
}

std::vector<std::string> folderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ListDrives, SingleLetterEntriesUpperCasedInLetterOrder) {
    test::TempDrive drive("ec");
    test::TempFolder other;
    fs::create_directory(other.path() / "target");
    drive.link("B:", other.path() / "target");        // upper-case entry name
    fs::create_directory(drive.dosdevices() / "z:");  // a plain folder, not a link
    drive.link("ab:", other.path());                  // two letters
    drive.link("x", other.path());                    // no colon
    drive.link("1:", other.path());                   // not a letter
    drive.link("com1", other.path());
    drive.link("g:", other.path() / "missing");  // dangling link
    test::writeBytes(drive.dosdevices() / "h:", "a file is not a drive");
    fs::create_directory_symlink(other.path(), drive.dosdevices() / "c::");

    const auto drives = listDrives();
    EXPECT_EQ(letters(drives), "BCEZ");
    for (const auto& d : drives)
        EXPECT_EQ(d.kind, DriveKind::Fixed) << d.letter;
}

// Removable drives are recognised by where their link points; only a real /media folder can
// show it, so the case runs only where the test may create one.
TEST(ListDrives, DriveUnderMediaIsRemovable) {
    const fs::path media = "/media/kovrel-test-" + std::to_string(::getpid());
    std::error_code ec;
    if (::access("/media", W_OK) != 0 || !fs::create_directory(media, ec))
        GTEST_SKIP() << "/media is not writable here";
    test::TempDrive drive("c");
    drive.link("e:", media);
    const auto drives = listDrives();
    fs::remove(media, ec);
    ASSERT_EQ(letters(drives), "CE");
    EXPECT_EQ(drives[0].kind, DriveKind::Fixed);
    EXPECT_EQ(drives[1].kind, DriveKind::Removable);
}

TEST(FileQueries, CreateFolderNeedsItsParent) {
    test::TempDrive drive("d");
    std::string error;
    EXPECT_TRUE(createFolder("D:\\ebyn", error)) << error;
    EXPECT_TRUE(fs::is_directory(drive.root() / "ebyn"));
    EXPECT_FALSE(createFolder("D:\\yok\\alt", error));
    EXPECT_NE(error.find("D:\\yok\\alt"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(drive.root() / "yok"));
}

class ReplaceFileAtomically : public ::testing::Test {
  protected:
    test::TempDrive drive{"d"};
    fs::path folder = drive.root() / "ebyn";
    fs::path target = folder / "a.xml";
    void SetUp() override { fs::create_directories(folder); }
};

TEST_F(ReplaceFileAtomically, ReplacesContentKeepsModeAndClearsStaleTemporaries) {
    test::writeBytes(target, "old content that is longer than the new one");
    fs::permissions(target, fs::perms(0640));
    test::writeBytes(folder / ".a.xml.kovrel-tmp-abc123", "left by a killed run");
    std::string error;
    ASSERT_TRUE(replaceFileAtomically("D:\\ebyn\\a.xml", "new", error)) << error;
    EXPECT_EQ(test::readBytes(target), "new");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"a.xml"});
}

// A full disk, imitated by a file-size limit: the write fails half way and the old file stays.
TEST_F(ReplaceFileAtomically, FailedWriteKeepsTheOldFileAndNoTemporary) {
    test::writeBytes(target, "old content");
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool replaced = replaceFileAtomically("D:\\ebyn\\a.xml", std::string(100000, 'x'), error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(replaced);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(test::readBytes(target), "old content");
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"a.xml"});
}

}  // namespace
}  // namespace kovrel::platform
#endif  // _WIN32
