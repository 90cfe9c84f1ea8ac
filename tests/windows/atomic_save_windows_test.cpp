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
    const struct {
        const char* name;
        const char* old;  // nullptr: no file yet
        DWORD attributes;
        bool producerFails;
        const char* cause;  // nullptr: saved
    } cases[] = {
        {"new", nullptr, 0, false, nullptr},
        {"replaced", "eski", FILE_ATTRIBUTE_NORMAL, false, nullptr},
        {"producer fails", "eski", FILE_ATTRIBUTE_NORMAL, true, "belge yazılamadı"},
        {"read-only", "eski", FILE_ATTRIBUTE_READONLY, false, "salt okunur"},
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
        const std::string error = test::failureOf([&] {
            replaceFileAtomically(std::string(path.begin(), path.end()),
                                  [&](const ContentSink& sink) {
                                      sink("<a>\xDE");
                                      if (c.producerFails)
                                          throw Error("belge yazılamadı");
                                      sink("\xFE</a>");
                                  });
        });
        EXPECT_EQ(error.empty(), c.cause == nullptr) << error;
        EXPECT_NE(error.find(c.cause ? c.cause : ""), std::string::npos) << error;
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(test::readBytes(file), c.old && c.cause ? c.old : "<a>\xDE\xFE</a>");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    }
}

}  // namespace
}  // namespace kovrel::platform
