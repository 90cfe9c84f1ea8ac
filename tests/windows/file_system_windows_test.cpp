#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
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

// The names the folder really holds, read with the wide API: a path that went through the ANSI
// code page would show up here as other letters.
std::vector<std::wstring> namesIn(const fs::path& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((folder / L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// The drives that scripts/windows-test.sh gives the test programs; other runs skip.
bool hasTestDrives() {
    return std::getenv("KOVREL_WINE_TEST_DRIVES") != nullptr;
}

// D: and E: both hold ebyn, F: does not; E: is removable and so not offered.
TEST(WindowsDrives, EbynScanSkipsRemovableDrivesAndDrivesWithoutEbyn) {
    if (!hasTestDrives())
        GTEST_SKIP() << "needs the drives of scripts/windows-test.sh";
    EXPECT_TRUE(folderExists("E:\\ebyn"));
    EXPECT_FALSE(folderExists("F:\\ebyn"));
    EXPECT_EQ(conversion::ebynDrives(), std::vector<char>{'D'});
}

TEST(WindowsDrives, MissingDriveIsNoFolderAndNoFile) {
    // Q: is never mapped by Wine or the test script; the query must answer without a dialog.
    EXPECT_FALSE(folderExists("Q:\\ebyn"));
    EXPECT_FALSE(fileExists("Q:\\beyan.txt"));
    std::string error;
    EXPECT_FALSE(createFolder("Q:\\ebyn", error));
    EXPECT_FALSE(error.empty());
}

struct TurkishName {
    const char* utf8;
    const wchar_t* wide;
};

const TurkishName kTurkishNames[] = {
    {"Şirket İşleri", L"\u015Eirket \u0130\u015Fleri"},
    {"ığüşöç ĞÜŞİÖÇ", L"\u0131\u011F\u00FC\u015F\u00F6\u00E7 \u011E\u00DC\u015E\u0130\u00D6\u00C7"},
};

TEST(WindowsFolders, TurkishLettersReachTheFileSystemIntact) {
    test::TempFolder temp;
    const std::string base = utf8(temp.path());
    for (const auto& name : kTurkishNames) {
        SCOPED_TRACE(name.utf8);
        const std::string folder = base + "\\" + name.utf8;
        const std::string file = folder + "\\beyan " + name.utf8 + ".xml";
        EXPECT_FALSE(folderExists(folder));

        std::string error;
        ASSERT_TRUE(createFolder(folder, error)) << error;
        EXPECT_TRUE(folderExists(folder));
        EXPECT_FALSE(fileExists(folder));
        EXPECT_FALSE(createFolder(folder, error));  // already there

        ASSERT_TRUE(replaceFileAtomically(file, "<a>\xDD\xFD</a>", error)) << error;
        EXPECT_TRUE(fileExists(file));
        EXPECT_FALSE(folderExists(file));
        std::string content;
        ASSERT_TRUE(readWholeFile(file, content, error)) << error;
        EXPECT_EQ(content, "<a>\xDD\xFD</a>");
        auto in = openForReading(file, error);
        ASSERT_TRUE(in);
        EXPECT_EQ(in->get(), '<');

        EXPECT_EQ(namesIn(temp.path() / name.wide),
                  std::vector<std::wstring>{std::wstring(L"beyan ") + name.wide + L".xml"});
    }
    std::vector<std::wstring> expected;
    for (const auto& name : kTurkishNames)
        expected.push_back(name.wide);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(temp.path()), expected);
}

TEST(WindowsAtomicSave, ReplacesWholeFilesAndLeavesNoTemporaries) {
    test::TempFolder temp;
    const fs::path file = temp.path() / "beyan.xml";
    const std::string path = utf8(file);
    std::string error;

    const std::string large(3 << 20, 'x');
    const std::vector<std::string> contents{"first", large, "", "last\r\n"};
    for (const auto& content : contents) {
        SCOPED_TRACE(content.size());
        ASSERT_TRUE(replaceFileAtomically(path, content, error)) << error;
        EXPECT_EQ(test::readBytes(file), content);
        EXPECT_EQ(namesIn(temp.path()), std::vector<std::wstring>{L"beyan.xml"});
    }
}

TEST(WindowsAtomicSave, StreamsPiecesAndAbandonsAFailedProducer) {
    test::TempFolder temp;
    const fs::path file = temp.path() / "beyan.xml";
    const std::string path = utf8(file);
    std::string error;

    const auto pieces = [](const ContentSink& sink, std::string&) {
        return sink("<a>") && sink("") && sink("\xDE\xFE") && sink("</a>");
    };
    ASSERT_TRUE(replaceFileAtomically(path, pieces, error)) << error;
    EXPECT_EQ(test::readBytes(file), "<a>\xDE\xFE</a>");

    const auto failing = [](const ContentSink& sink, std::string& cause) {
        sink("half");
        cause = "the document cannot be written";
        return false;
    };
    EXPECT_FALSE(replaceFileAtomically(path, failing, error));
    EXPECT_EQ(error, "the document cannot be written");
    EXPECT_EQ(test::readBytes(file), "<a>\xDE\xFE</a>");
    EXPECT_EQ(namesIn(temp.path()), std::vector<std::wstring>{L"beyan.xml"});
}

TEST(WindowsAtomicSave, ReadOnlyFileStaysAsItIs) {
    test::TempFolder temp;
    const fs::path file = temp.path() / "beyan.xml";
    test::writeBytes(file, "old");
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    std::string error;
    EXPECT_FALSE(replaceFileAtomically(utf8(file), "new", error));
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    EXPECT_EQ(test::readBytes(file), "old");
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsAtomicSave, ClearsTemporariesOfAnInterruptedSave) {
    test::TempFolder temp;
    const fs::path file = temp.path() / "beyan.xml";
    test::writeBytes(temp.path() / ".beyan.xml.kovrel-tmp-0000abcd", "stale");
    test::writeBytes(temp.path() / "other.xml", "kept");
    std::string error;
    ASSERT_TRUE(replaceFileAtomically(utf8(file), "new", error)) << error;
    EXPECT_EQ(namesIn(temp.path()), (std::vector<std::wstring>{L"beyan.xml", L"other.xml"}));
}

TEST(WindowsAtomicSave, RootOfADriveIsNotAFolderOfItsOwn) {
    // "D:\x.xml" and "x.xml" name no parent folder explicitly; the temporary goes beside them.
    if (!hasTestDrives())
        GTEST_SKIP() << "needs the drives of scripts/windows-test.sh";
    std::string error;
    ASSERT_TRUE(replaceFileAtomically("F:\\kok.xml", "root", error)) << error;
    std::string content;
    ASSERT_TRUE(readWholeFile("F:\\kok.xml", content, error)) << error;
    EXPECT_EQ(content, "root");
    EXPECT_TRUE(::DeleteFileW(L"F:\\kok.xml"));
}

}  // namespace
}  // namespace kovrel::platform
