#include "conversion/versions.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "conversion/conversion_run.h"
#include "support/test_support.h"

namespace kovrel::conversion {
namespace {

namespace fs = std::filesystem;

class VersionsTest : public ::testing::Test {
  protected:
    void SetUp() override { scene.writeInfo(test::infoFileText({}, "1|100|5|\n")); }
    RunEnd run(const std::string& title, Mode mode = Mode::CreateNew, bool dryRun = false) const {
        return scene
            .run({"D", mode, EnterpriseChoice::newRecord(), {title, "", "", "", "", ""}, dryRun})
            .end;
    }
    std::string declaration() const { return test::readBytes(scene.declaration()); }
    std::vector<std::string> keptBytes() const {
        std::vector<std::string> bytes;
        for (const auto& version : keptVersions(path))
            bytes.push_back(test::readBytes(version.path));
        return bytes;
    }

    const test::Scene scene;
    const std::string path =
        "D:\\ebyn\\beyannameler\\1234567890\\034260_1234567890_GELIR_10_2023.xml";
};

// Only a completed run that replaces a declaration keeps what it replaced, newest first: not one
// that makes a new file, a dry run or a run refused for a duplicate title. Versions are the
// user's alone; the declaration keeps its mode.
TEST_F(VersionsTest, EveryReplacedDeclarationIsKeptAndNothingElse) {
    ASSERT_EQ(run("A"), RunEnd::Completed);
    const std::string first = declaration();
    EXPECT_EQ(run("B", Mode::CreateNew, true), RunEnd::Completed);
    EXPECT_EQ(run("A", Mode::AddToExisting), RunEnd::DuplicateTitle);
    EXPECT_TRUE(keptBytes().empty());
    ASSERT_EQ(scene.run({"D", Mode::AddToExisting, EnterpriseChoice::existing("A"), {}}).end,
              RunEnd::Completed);
    const std::string second = declaration();
#ifndef _WIN32  // modes are POSIX's
    fs::permissions(scene.declaration(), fs::perms(0640));
#endif
    ASSERT_EQ(run("B"), RunEnd::Completed);
    EXPECT_EQ(keptBytes(), (std::vector{second, first}));
#ifndef _WIN32
    EXPECT_EQ(fs::status(scene.declaration()).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(fs::status(versionFolder(path)).permissions() & fs::perms::all, fs::perms(0700));
    EXPECT_EQ(fs::status(keptVersions(path).front().path).permissions() & fs::perms::all,
              fs::perms(0600));
#endif
}

// Twenty-one runs, many in one second: the twenty newest stay, each under a name of its own.
TEST_F(VersionsTest, TheTwentyNewestStay) {
    std::vector<std::string> replaced;
    for (int i = 0; i < 22; ++i) {
        if (fs::exists(scene.declaration()))
            replaced.insert(replaced.begin(), declaration());
        ASSERT_EQ(run(std::to_string(i)), RunEnd::Completed);
    }
    replaced.resize(kKeptVersions);
    EXPECT_EQ(keptBytes(), replaced);
}

// A version that cannot be written stops the save: the declaration stays as it was.
TEST_F(VersionsTest, VersionThatCannotBeWrittenChangesNothing) {
    ASSERT_EQ(run("A"), RunEnd::Completed);
    const std::string before = declaration();
    test::writeBytes(scene.drive.userFolder() / "kovrel", "a file where the folder should be");
    EXPECT_EQ(run("B"), RunEnd::SaveFailed);
    EXPECT_EQ(declaration(), before);
    EXPECT_TRUE(scene.beside().empty());
}

}  // namespace
}  // namespace kovrel::conversion
