#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "conversion/target_path.h"
#include "platform/file_system.h"
#include "support/test_support.h"

// The Windows side of the file-system queries, run under Wine by scripts/windows-test.sh.
namespace kovrel::platform {
namespace {

namespace fs = std::filesystem;

std::string utf8(const fs::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The names the folder really holds, read as wide names: a path that went through the ANSI
// code page would show up here as other letters.
std::vector<std::wstring> namesIn(const fs::path& folder) {
    std::vector<std::wstring> names;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(folder, missing))
        names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

// D: and E: both hold ebyn, F: does not; E: is removable and so not offered. Only the test
// programs started by scripts/windows-test.sh have these drives.
TEST(WindowsDrives, EbynScanSkipsRemovableDrivesAndDrivesWithoutEbyn) {
    if (std::getenv("KOVREL_WINE_TEST_DRIVES") == nullptr)
        GTEST_SKIP() << "needs the drives of scripts/windows-test.sh";
    EXPECT_TRUE(folderExists("E:\\ebyn"));
    EXPECT_FALSE(folderExists("F:\\ebyn"));
    EXPECT_EQ(conversion::ebynDrives(), std::vector<char>{'D'});
}

TEST(WindowsDrives, MissingDriveIsNoFolderAndNoFile) {
    // Q: is never mapped by Wine or the test script; the query must answer without a dialog.
    EXPECT_FALSE(folderExists("Q:\\ebyn"));
    EXPECT_FALSE(fileExists("Q:\\beyan.txt"));
    EXPECT_FALSE(test::failureOf([] { createFolder("Q:\\ebyn"); }).empty());
}

TEST(WindowsFolders, TurkishLettersReachTheFileSystemIntact) {
    const std::string name = "ığüşöç ĞÜŞİÖÇ";
    const std::wstring wide =
        L"\u0131\u011F\u00FC\u015F\u00F6\u00E7 \u011E\u00DC\u015E\u0130\u00D6\u00C7";
    test::TempFolder temp;
    const std::string folder = utf8(temp.path()) + "\\" + name;
    const std::string file = folder + "\\beyan " + name + ".xml";
    createFolder(folder);
    EXPECT_TRUE(folderExists(folder));
    EXPECT_FALSE(test::failureOf([&] { createFolder(folder); }).empty());  // already there

    replaceFileAtomically(file, "<a>\xDD\xFD</a>");
    EXPECT_TRUE(fileExists(file));
    EXPECT_EQ(readWholeFile(file), "<a>\xDD\xFD</a>");
    EXPECT_EQ(namesIn(temp.path() / wide),
              std::vector<std::wstring>{std::wstring(L"beyan ") + wide + L".xml"});
}

// A new file, a replaced one and an empty one; pieces streamed in; a producer that fails and a
// read-only file leave the old content. The temporaries of an interrupted save are cleared.
TEST(WindowsAtomicSave, OldFileOrAllOfTheNewOneAndNoTemporaries) {
    test::TempFolder temp;
    const fs::path file = temp.path() / "beyan.xml";
    const std::string path = utf8(file);
    test::writeBytes(temp.path() / ".beyan.xml.kovrel-tmp-0000abcd", "stale");
    test::writeBytes(temp.path() / "other.xml", "kept");
    const std::vector<std::wstring> names{L"beyan.xml", L"other.xml"};
    for (const std::string content : {"first", "", "last\r\n"}) {
        replaceFileAtomically(path, content);
        EXPECT_EQ(test::readBytes(file), content);
        EXPECT_EQ(namesIn(temp.path()), names);
    }

    replaceFileAtomically(path, [](const ContentSink& sink) {
        for (const char* piece : {"<a>", "", "\xDE\xFE", "</a>"})
            sink(piece);
    });
    const auto failing = [](const ContentSink& sink) {
        sink("half");
        throw Error("the document cannot be written");
    };
    EXPECT_EQ(test::failureOf([&] { replaceFileAtomically(path, failing); }),
              "the document cannot be written");
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string error = test::failureOf([&] { replaceFileAtomically(path, "new"); });
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::readBytes(file), "<a>\xDE\xFE</a>");
    EXPECT_EQ(namesIn(temp.path()), names);
}

}  // namespace
}  // namespace kovrel::platform
