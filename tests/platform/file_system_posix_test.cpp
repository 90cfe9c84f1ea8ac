// The POSIX file system: drive letters from Wine's dosdevices folder.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>

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

TEST(ListDrives, NoDosdevicesFolderMeansNoDrives) {
    test::TempDrive drive;
    fs::remove_all(drive.dosdevices());
    EXPECT_TRUE(listDrives().empty());
    EXPECT_FALSE(folderExists("D:\\"));
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

TEST(HostPath, MapsDriveLettersOntoDosdevices) {
    test::TempDrive drive("d");
    test::TempFolder other;
    drive.link("E:", other.path());
    const std::string dosdevices = drive.dosdevices().string();
    struct Case {
        std::string path, expected;
    };
    const std::vector<Case> cases{
        {"D:\\ebyn\\beyannameler\\123\\V_123_GELIR_10_2023.xml",
         dosdevices + "/d:/ebyn/beyannameler/123/V_123_GELIR_10_2023.xml"},
        {"d:\\ebyn", dosdevices + "/d:/ebyn"},
        {"D:\\", dosdevices + "/d:/"},
        {"E:\\x y\\z", dosdevices + "/E:/x y/z"},  // spelled as on disk
        {"/tmp/beyan.txt", "/tmp/beyan.txt"},      // a host path stays
        {"beyan.txt", "beyan.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hostPath(c.path), c.expected) << c.path;
}

TEST(FileQueries, FolderAndFileExistence) {
    test::TempDrive drive("d");
    fs::create_directories(drive.root() / "ebyn" / "sub");
    test::writeBytes(drive.root() / "ebyn" / "a.xml", "x");
    EXPECT_TRUE(folderExists("D:\\ebyn"));
    EXPECT_TRUE(folderExists("d:\\ebyn\\sub"));
    EXPECT_FALSE(folderExists("D:\\ebyn\\a.xml"));
    EXPECT_FALSE(folderExists("D:\\yok"));
    EXPECT_FALSE(folderExists("Q:\\ebyn"));  // no such drive
    EXPECT_TRUE(fileExists("D:\\ebyn\\a.xml"));
    EXPECT_FALSE(fileExists("D:\\ebyn\\sub"));
    EXPECT_FALSE(fileExists("D:\\ebyn\\b.xml"));
    EXPECT_FALSE(fileExists("Q:\\ebyn\\a.xml"));
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

TEST(FileQueries, ReadWholeFileKeepsEveryByte) {
    test::TempDrive drive("d");
    const std::string bytes = std::string("a\r\nb\rc\nd\0\xB3\xFF", 11);
    test::writeBytes(drive.root() / "f.bin", bytes);
    std::string content, error;
    EXPECT_TRUE(readWholeFile("D:\\f.bin", content, error)) << error;
    EXPECT_EQ(content, bytes);
    EXPECT_FALSE(readWholeFile("D:\\yok.bin", content, error));
    EXPECT_NE(error.find("D:\\yok.bin"), std::string::npos) << error;
    EXPECT_EQ(openForReading("D:\\yok.bin", error), nullptr);
}

class ReplaceFileAtomically : public ::testing::Test {
  protected:
    test::TempDrive drive{"d"};
    fs::path folder = drive.root() / "ebyn";
    fs::path target = folder / "a.xml";
    void SetUp() override { fs::create_directories(folder); }
};

TEST_F(ReplaceFileAtomically, WritesANewFileAndLeavesNothingElse) {
    std::string error;
    ASSERT_TRUE(replaceFileAtomically("D:\\ebyn\\a.xml", "yeni\r\n", error)) << error;
    EXPECT_EQ(test::readBytes(target), "yeni\r\n");
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"a.xml"});
}

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

TEST_F(ReplaceFileAtomically, ReadOnlyFileStaysAsItWas) {
    test::writeBytes(target, "old");
    fs::permissions(target, fs::perms(0444));
    std::string error;
    EXPECT_FALSE(replaceFileAtomically("D:\\ebyn\\a.xml", "new", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(test::readBytes(target), "old");
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"a.xml"});
}

TEST_F(ReplaceFileAtomically, MissingFolderFails) {
    std::string error;
    EXPECT_FALSE(replaceFileAtomically("D:\\yok\\a.xml", "new", error));
    EXPECT_NE(error.find("D:\\yok\\a.xml"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(drive.root() / "yok"));
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
