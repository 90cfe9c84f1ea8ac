// Faults of the file system during a run: a read-only declaration or folder, a folder that
// cannot be made, a disk that fills up during the save. The run fails with its message, the
// declaration is the one that was there before and nothing is left beside it.
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

// What the run may not write: the declaration, its folder, or (the folder removed) the folder
// where the taxpayer's folder would be made.
enum class Denied { Declaration, Folder, NewFolder };

TEST(FileSystemFault, RefusedWriteFailsTheRunAndKeepsTheDeclaration) {
    struct Case {
        const char* name;
        Denied denied;
        Mode mode;
    };
    const Case cases[] = {{"read-only declaration", Denied::Declaration, Mode::AddToExisting},
                          {"read-only folder, add", Denied::Folder, Mode::AddToExisting},
                          {"read-only folder, create", Denied::Folder, Mode::CreateNew},
                          {"folder cannot be made", Denied::NewFolder, Mode::CreateNew}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionScene scene;
        const std::string before = scene.skeleton();
        scene.placeDeclaration(before);
        const fs::path folder = scene.hostTarget().parent_path();
        if (c.denied == Denied::NewFolder)
            fs::remove_all(folder);
        fs::permissions(c.denied == Denied::Declaration ? scene.hostTarget()
                        : c.denied == Denied::Folder    ? folder
                                                        : folder.parent_path(),
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        const WithoutRootOverride unprivileged;
        ASSERT_TRUE(unprivileged.active());

        const auto outcome = scene.runInProcess(c.mode);

        EXPECT_EQ(outcome.end, RunEnd::Failed);
        EXPECT_FALSE(outcome.cause.empty());
        if (c.denied == Denied::NewFolder) {
            EXPECT_FALSE(fs::exists(folder));
        } else {
            EXPECT_EQ(scene.declarationOnDisk(), before);
            EXPECT_TRUE(scene.filesBeside().empty());
        }
    }
}

// A limit on the size of the files the converter writes fills its disk during the save.
TEST(DiskFull, SaveFailsShortOfRoomAndCompletesWithExactlyEnough) {
    ConversionScene scene(corporateInfo(3000));  // a declaration that takes many write calls
    const std::string before = scene.skeleton();
    scene.placeDeclaration(before);
    const std::string toBeSaved = scene.runInProcess(Mode::AddToExisting, true).document;
    ASSERT_GT(toBeSaved.size(), 64u * 1024);

    for (const rlim_t room : {rlim_t{0}, rlim_t{4096}, toBeSaved.size() - 1, toBeSaved.size()}) {
        SCOPED_TRACE(room);

        const auto end = scene.runConverter(room);

        if (room < toBeSaved.size()) {
            expectRefusal(end, 1, conversion::messages::kRunFailed, "cannot write");
            EXPECT_TRUE(scene.declarationOnDisk() == before);
        } else {
            EXPECT_EQ(end.exitCode, 0) << end.err;
            EXPECT_TRUE(scene.declarationOnDisk() == toBeSaved);
        }
        EXPECT_TRUE(scene.filesBeside().empty());
    }
}

}  // namespace
}  // namespace kovrel::hostile
