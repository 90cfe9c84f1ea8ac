#include "conversion/versions.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "conversion/conversion_run.h"
#include "support/test_support.h"

namespace kovrel::conversion {
namespace {

namespace fs = std::filesystem;

class VersionsTest : public ::testing::Test {
  protected:
    void SetUp() override { scene.writeInfo(test::infoFileText(test::InfoHeader{}, "1|100|5|\n")); }
    RunEnd run(Mode mode, EnterpriseChoice enterprise, std::string title = "Yeni",
               bool dryRun = false) {
        RunChoices choices{"D", mode, enterprise, {}, dryRun};
        choices.fields.title = title;
        return scene.run(choices).end;
    }
    std::string declaration() const { return test::readBytes(file()); }
    fs::path file() const { return scene.declaration(); }
    std::vector<std::string> keptBytes() const {
        std::vector<std::string> bytes;
        for (const auto& version : keptVersions(path))
            bytes.push_back(test::readBytes(version.path));
        return bytes;
    }

    test::Scene scene;
    const std::string path =
        "D:\\ebyn\\beyannameler\\1234567890\\034260_1234567890_GELIR_10_2023.xml";
};

// Only a completed run that replaces a declaration keeps what it replaced, newest first.
TEST_F(VersionsTest, EveryReplacedDeclarationIsKeptAndNothingElse) {
    const auto newRecord = EnterpriseChoice::newRecord();
    ASSERT_EQ(run(Mode::CreateNew, newRecord, "A"), RunEnd::Completed);
    EXPECT_TRUE(keptBytes().empty()) << "a new file replaces nothing";
    const std::string first = declaration();

    const struct {
        const char* name;
        Mode mode;
        EnterpriseChoice enterprise;
        std::string title;
        bool dryRun;
        RunEnd end;
        bool kept;
    } cases[] = {
        {"dry run", Mode::CreateNew, newRecord, "B", true, RunEnd::Completed, false},
        {"duplicate title", Mode::AddToExisting, newRecord, "A", false, RunEnd::DuplicateTitle,
         false},
        {"add for an enterprise", Mode::AddToExisting, EnterpriseChoice::existing("A"), "", false,
         RunEnd::Completed, true},
        {"create over the file", Mode::CreateNew, newRecord, "B", false, RunEnd::Completed, true},
    };
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = declaration();
        EXPECT_EQ(run(c.mode, c.enterprise, c.title, c.dryRun), c.end);
        if (c.kept)
            expected.insert(expected.begin(), before);
        EXPECT_EQ(keptBytes(), expected);
    }
    EXPECT_EQ(keptBytes().back(), first);
#ifndef _WIN32
    EXPECT_EQ(fs::status(versionFolder(path)).permissions() & fs::perms::all, fs::perms(0700));
    EXPECT_EQ(fs::status(keptVersions(path).front().path).permissions() & fs::perms::all,
              fs::perms(0600));
#endif
}

// Twenty-one runs, many in one second: the twenty newest stay, each under a name of its own.
TEST_F(VersionsTest, TheTwentyNewestStay) {
    std::vector<std::string> replaced;
    for (int i = 0; i < 22; ++i) {
        if (fs::exists(file()))
            replaced.insert(replaced.begin(), declaration());
        ASSERT_EQ(run(Mode::CreateNew, EnterpriseChoice::newRecord(), std::to_string(i)),
                  RunEnd::Completed);
    }
    replaced.resize(kKeptVersions);
    EXPECT_EQ(keptBytes(), replaced);
}

// A version that cannot be written stops the save: the declaration stays as it was.
TEST_F(VersionsTest, VersionThatCannotBeWrittenChangesNothing) {
    ASSERT_EQ(run(Mode::CreateNew, EnterpriseChoice::newRecord(), "A"), RunEnd::Completed);
    const std::string before = declaration();
    test::writeBytes(scene.drive.userFolder() / "kovrel", "a file where the folder should be");
    EXPECT_EQ(run(Mode::CreateNew, EnterpriseChoice::newRecord(), "B"), RunEnd::SaveFailed);
    EXPECT_EQ(declaration(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(file().parent_path()), fs::directory_iterator()),
              1);
}

// A restore puts a version back exactly and keeps what it replaced, so it can be undone.
TEST_F(VersionsTest, RestoreAndItsUndoAreExact) {
    ASSERT_EQ(run(Mode::CreateNew, EnterpriseChoice::newRecord(), "A"), RunEnd::Completed);
    const std::string first = declaration();
    ASSERT_EQ(run(Mode::CreateNew, EnterpriseChoice::newRecord(), "B"), RunEnd::Completed);
    const std::string second = declaration();

    restoreVersion(path, keptVersions(path).front(), std::time(nullptr));
    EXPECT_EQ(declaration(), first);
    EXPECT_EQ(keptBytes(), (std::vector<std::string>{second, first}));
    restoreVersion(path, keptVersions(path).front(), std::time(nullptr));
    EXPECT_EQ(declaration(), second);
}

}  // namespace
}  // namespace kovrel::conversion
