#include <windows.h>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "support/test_support.h"

// The Windows save, run under Wine by scripts/windows-test.sh, which also holds a declaration
// open as a virus scanner does. A folder with Turkish letters holds either the old file or all of
// the new one, and nothing beside it: neither this save's temporary nor one a killed run left.
namespace kovrel::platform {
namespace {

namespace fs = std::filesystem;

TEST(WindowsAtomicSave, OldFileOrAllOfTheNewOneAndNothingBeside) {
    const ContentProducer pieces = [](const ContentSink& sink) {
        for (const char* piece : {"<a>", "", "\xDE\xFE", "</a>"})
            sink(piece);
    };
    const ContentProducer failing = [](const ContentSink& sink) {
        sink("half");
        throw Error("belge yazılamadı");
    };
    const struct {
        const char* name;
        const char* old;  // nullptr: no file yet
        DWORD attributes;
        ContentProducer produce;
        std::string expected;  // the file's bytes afterwards
        const char* cause;     // nullptr: saved
    } cases[] = {
        {"new", nullptr, 0, pieces, "<a>\xDE\xFE</a>", nullptr},
        {"replaced", "old", FILE_ATTRIBUTE_NORMAL, pieces, "<a>\xDE\xFE</a>", nullptr},
        {"emptied", "old", FILE_ATTRIBUTE_NORMAL, [](const ContentSink&) {}, "", nullptr},
        {"producer fails", "old", FILE_ATTRIBUTE_NORMAL, failing, "old", "belge yazılamadı"},
        {"read-only", "old", FILE_ATTRIBUTE_READONLY, pieces, "old", "salt okunur"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const test::TempFolder temp;
        const fs::path folder = temp.path() / L"G\u00FCl\u015Fen I\u015F\u0131k";
        const fs::path file = folder / "beyan.xml";
        // A read-only file is refused before the folder is touched.
        if (c.attributes != FILE_ATTRIBUTE_READONLY)
            test::writeBytes(folder / ".beyan.xml.kovrel-tmp-0000abcd", "a killed run's");
        if (c.old) {
            test::writeBytes(file, c.old);
            ASSERT_TRUE(::SetFileAttributesW(file.c_str(), c.attributes));
        }
        const auto path = file.u8string();
        const std::string error = test::failureOf(
            [&] { replaceFileAtomically(std::string(path.begin(), path.end()), c.produce); });
        EXPECT_NE(error.find(c.cause ? c.cause : ""), std::string::npos) << error;
        EXPECT_EQ(error.empty(), c.cause == nullptr) << error;
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(test::readBytes(file), c.expected);
        std::vector<fs::path> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename());
        EXPECT_EQ(names, std::vector<fs::path>{"beyan.xml"});
    }
}

TEST(WindowsAtomicSave, MissingFolderIsSaidSo) {
    const test::TempFolder temp;
    EXPECT_NE(test::failureOf([&] {
                  replaceFileAtomically((temp.path() / "yok" / "beyan.xml").string(), "new");
              }).find("böyle bir dosya ya da klasör yok"),
              std::string::npos);
}

}  // namespace
}  // namespace kovrel::platform
