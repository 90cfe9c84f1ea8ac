// Drive letters from Wine's dosdevices folder.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kovrel::platform
