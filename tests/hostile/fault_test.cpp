// Faults of the file system during a run: a read-only declaration, a read-only folder, a folder
// that cannot be made, a disk that fills up during the save. The run ends with its failure
// message; the declaration is the one that was there before and nothing is left beside it.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>

#include "conversion/messages.h"
#include "hostile/conversion_scene.h"

namespace kovrel::hostile {
namespace {

namespace fs = std::filesystem;
namespace messages = conversion::messages;
using conversion::Mode;
using conversion::RunEnd;

// Clears the effective capabilities of the (single-threaded) test process for its lifetime, so
// that permission bits bind even when the tests run as root, as they do in CI containers.
class WithoutRootOverride {
  public:
    WithoutRootOverride() {
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct cleared[2] = {saved_[0], saved_[1]};
        cleared[0].effective = cleared[1].effective = 0;
        active_ = ::syscall(SYS_capset, &header_, cleared) == 0;
    }
    ~WithoutRootOverride() {
        if (active_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    WithoutRootOverride(const WithoutRootOverride&) = delete;
    WithoutRootOverride& operator=(const WithoutRootOverride&) = delete;

    bool active() const { return active_ || ::geteuid() != 0; }

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

// A corporate tax declaration from an earlier run, about to be updated.
class FaultTest : public testing::Test {
  protected:
    ConversionScene scene{corporateHeader(), corporateBody()};
    std::string before = skeletonFor(scene.header());

    void SetUp() override { scene.placeDeclaration(before); }

    void expectUntouched() {
        EXPECT_EQ(scene.declarationOnDisk(), before);
        EXPECT_TRUE(scene.filesBeside().empty());
    }
};

TEST_F(FaultTest, ReadOnlyDeclarationFailsTheRunAndStaysAsItWas) {
    fs::permissions(scene.hostTarget(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const WithoutRootOverride unprivileged;
    ASSERT_TRUE(unprivileged.active());

    const auto outcome = scene.runInProcess();

    EXPECT_EQ(outcome.end, RunEnd::Failed);
    EXPECT_FALSE(outcome.cause.empty());
    expectUntouched();
}

TEST_F(FaultTest, ReadOnlyFolderFailsTheRunAndLeavesTheDeclaration) {
    const fs::path folder = scene.hostTarget().parent_path();
    fs::permissions(folder,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const WithoutRootOverride unprivileged;
    ASSERT_TRUE(unprivileged.active());

    for (const Mode mode : {Mode::AddToExisting, Mode::CreateNew}) {
        const auto outcome = scene.runInProcess(mode);

        EXPECT_EQ(outcome.end, RunEnd::Failed);
        expectUntouched();
    }
}

TEST_F(FaultTest, TaxpayerFolderThatCannotBeMadeFailsTheRun) {
    const fs::path taxpayerFolder = scene.hostTarget().parent_path();
    fs::remove_all(taxpayerFolder);
    fs::permissions(taxpayerFolder.parent_path(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const WithoutRootOverride unprivileged;
    ASSERT_TRUE(unprivileged.active());

    const auto outcome = scene.runInProcess(Mode::CreateNew);

    EXPECT_EQ(outcome.end, RunEnd::Failed);
    EXPECT_FALSE(fs::exists(taxpayerFolder));
}

// A disk that fills up during the save: the converter runs with a limit on the size of the
// files it writes.
class DiskFullTest : public testing::Test {
  protected:
    // Enough records that the declaration spans many write calls.
    ConversionScene scene{corporateHeader(), manyRecords()};
    std::string before = skeletonFor(scene.header());
    std::string toBeSaved;

    void SetUp() override {
        scene.placeDeclaration(before);
        conversion::RunChoices choices;
        choices.driveText = "D";
        choices.dryRun = true;
        toBeSaved = conversion::ConversionRun(scene.header(), scene.infoFile(), choices).document;
        ASSERT_GT(toBeSaved.size(), 64u * 1024);
    }

    static std::vector<std::string> manyRecords() {
        std::vector<std::string> body = corporateBody();
        for (int i = 0; i < 3000; ++i)
            body.push_back(test::record({"3", std::to_string(600 + i), "1.000,00", "2.000,00"}));
        return body;
    }
};

TEST_F(DiskFullTest, SaveFailsWithTheRunsMessageAndKeepsTheOldDeclaration) {
    const std::pair<const char*, rlim_t> rooms[] = {
        {"no room", 0}, {"4 kB", 4096}, {"one byte short", toBeSaved.size() - 1}};
    for (const auto& [name, room] : rooms) {
        SCOPED_TRACE(name);

        const auto result = scene.runConverter({"--mode", "add"}, {.fileSizeLimit = room});

        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(firstLine(result.err), messages::kRunFailed);
        EXPECT_EQ(scene.declarationOnDisk(), before);
        EXPECT_TRUE(scene.filesBeside().empty());
    }
}

// The limit is harmless when the file fits: it is the missing room that fails the save.
TEST_F(DiskFullTest, SaveWithExactlyEnoughRoomCompletes) {
    const auto result = scene.runConverter({"--mode", "add"}, {.fileSizeLimit = toBeSaved.size()});

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(scene.declarationOnDisk() == toBeSaved);
    EXPECT_TRUE(scene.filesBeside().empty());
}

}  // namespace
}  // namespace kovrel::hostile
