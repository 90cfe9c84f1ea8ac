#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
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
    EXPECT_NE(error.find("salt okunur"), std::string::npos) << error;
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::readBytes(file), "<a>\xDE\xFE</a>");
    EXPECT_EQ(namesIn(temp.path()), names);
}

// kovrel_hold_file.exe, built beside the tests, holds a file open without delete sharing for the
// time given; ended when the object goes.
class FileHolder {
  public:
    FileHolder(const fs::path& file, int milliseconds) {
        wchar_t self[MAX_PATH];
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        const fs::path helper = fs::path(self).parent_path() / "kovrel_hold_file.exe";
        std::wstring line = L"\"" + helper.wstring() + L"\" \"" + file.wstring() + L"\" " +
                            std::to_wstring(milliseconds);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!::CreateProcessW(helper.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process_))
            return;
        // Held once a delete-access open is refused for sharing.
        for (int i = 0; i < 500 && !held_; ++i) {
            const HANDLE probe = ::CreateFileW(file.c_str(), DELETE, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (probe != INVALID_HANDLE_VALUE) {
                ::CloseHandle(probe);
                ::Sleep(10);
            } else {
                held_ = ::GetLastError() == ERROR_SHARING_VIOLATION;
            }
        }
    }
    ~FileHolder() {
        if (!process_.hProcess)
            return;
        ::TerminateProcess(process_.hProcess, 0);
        ::WaitForSingleObject(process_.hProcess, 5000);
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;

    bool held() const { return held_; }

  private:
    PROCESS_INFORMATION process_{};
    bool held_ = false;
};

// The save outlasts a scanner's short hold and gives up on a long one after waiting, the old
// bytes kept and the cause in Turkish; nothing is left beside the declaration either way.
TEST(WindowsAtomicSave, WaitsOutAShortHoldOnly) {
    using Clock = std::chrono::steady_clock;
    const struct {
        const char* name;
        int holdMs;  // 0: nobody holds the file
        bool readOnly, missingFolder, saved;
        int minMs;
        const char* cause;
    } cases[] = {
        {"held 300 ms", 300, false, false, true, 0, ""},
        {"held 10 s", 10000, false, false, false, 1500, "başka bir program tarafından açık"},
        {"read-only", 0, true, false, false, 0, "salt okunur"},
        {"missing folder", 0, false, true, false, 0, "böyle bir dosya ya da klasör yok"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder temp;
        const fs::path file =
            c.missingFolder ? temp.path() / "gone" / "beyan.xml" : temp.path() / "beyan.xml";
        if (!c.missingFolder)
            test::writeBytes(file, "old");
        if (c.readOnly) {
            ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        std::optional<FileHolder> holder;
        if (c.holdMs > 0) {
            holder.emplace(file, c.holdMs);
            ASSERT_TRUE(holder->held());
        }
        const auto start = Clock::now();
        const std::string error =
            test::failureOf([&] { replaceFileAtomically(utf8(file), "new"); });
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        EXPECT_GE(ms, c.minMs) << "it gave up without waiting";
        EXPECT_EQ(error.empty(), c.saved) << error;
        EXPECT_NE(error.find(c.cause), std::string::npos) << error;
        if (!c.missingFolder) {
            EXPECT_EQ(test::readBytes(file), c.saved ? "new" : "old");
            EXPECT_EQ(namesIn(temp.path()), std::vector<std::wstring>{L"beyan.xml"});
        }
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

}  // namespace
}  // namespace kovrel::platform
