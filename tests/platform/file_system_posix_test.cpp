// Drive letters from Wine's dosdevices folder; a save on a disk that is really full.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include "platform/file_system.h"
#include "support/test_support.h"

namespace kovrel::platform {
namespace {

namespace fs = std::filesystem;

// (Removable drives, told by a link into /media, are the converter's drive test.)
TEST(ListDrives, SingleLetterEntriesUpperCasedInLetterOrder) {
    test::TempDrive drive("ec");
    test::TempFolder other;
    fs::create_directory(other.path() / "target");
    drive.link("B:", other.path() / "target");           // upper-case entry name
    fs::create_directory(drive.dosdevices() / "z:");     // a plain folder, not a link
    for (const char* name : {"ab:", "x", "1:", "com1"})  // two letters, no colon, no letter
        drive.link(name, other.path());
    drive.link("g:", other.path() / "missing");  // dangling link
    test::writeBytes(drive.dosdevices() / "h:", "a file is not a drive");
    fs::create_directory_symlink(other.path(), drive.dosdevices() / "c::");

    std::string letters;
    for (const auto& d : listDrives()) {
        letters += d.letter;
        EXPECT_EQ(d.kind, DriveKind::Fixed) << d.letter;
    }
    EXPECT_EQ(letters, "BCEZ");
}

// A full disk fails the save with how much room the file needs and how much there is, the old
// bytes kept. A small memory disk stands in for it where the test may mount one.
TEST(ReplaceFileAtomically, FullDiskSaysHowMuchRoomIsMissing) {
    const test::TempFolder folder;
    const std::string file = (folder.path() / "beyan.xml").string();
    if (::mount("kovrel-test", folder.path().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "mounting a memory disk needs the right to mount";
    test::writeBytes(file, "eski");
    const std::string cause =
        test::failureOf([&] { replaceFileAtomically(file, std::string(200 * 1024, 'x')); });
    EXPECT_EQ(test::readBytes(file), "eski");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
    ::umount(folder.path().c_str());
    EXPECT_NE(cause.find("diskte yer kalmadı. Dosya için 200,0 KB gerekiyor, diskte "),
              std::string::npos)
        << cause;
}

}  // namespace
}  // namespace kovrel::platform
