// The real converter as a child process on a temporary drive D: under a hostile info file, file
// system faults, a full disk and kills: the declaration is always the old or the complete new one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <iostream>
#include <random>
#include <thread>

#include "conversion/skeleton.h"
#include "conversion/target_path.h"
#include "conversion/versions.h"
#include "platform/messages.h"
#include "support/test_support.h"

namespace kovrel::hostile {
namespace {

namespace fs = std::filesystem;
using conversion::Mode;
using Names = std::set<std::string>;

struct ConverterEnd {
    int status = 0;  // as waitpid gives it
    long peakRssKb = 0;
    std::string err;
};

// A forked child's peak counts the pages this process held at the fork too: a few hundred MB.
ConverterEnd reap(pid_t pid) {
    ConverterEnd end;
    rusage usage{};
    while (::wait4(pid, &end.status, 0, &usage) < 0 && errno == EINTR) {
    }
    end.peakRssKb = usage.ru_maxrss;
    return end;
}

// A corporate tax return of that many asset rows and more lines, its declaration in place.
struct ConverterScene : test::Scene {
    explicit ConverterScene(int rows = 1, const std::string& more = "") {
        test::InfoHeader header{
            .type = "KURUMLAR", .taxNo = "3456789012", .surname = "\x9E\x41H\x98N"};
        std::string body;
        for (int i = 0; i < rows; ++i)
            body += "1|" + std::to_string(100 + i) + "|1.000,00|2,00\n";
        body += more;
        writeInfo(test::infoFileText(header, body));
        before = conversion::writeDeclarationSkeleton(read().header);
        place(before);
    }

    void place(std::string_view bytes) const { test::writeBytes(declaration(), bytes); }
    std::string onDisk() const { return test::readBytes(declaration()); }

    // kovrel-convert --drive D --mode add, its messages to errFd (or nowhere); beyond fileSize a
    // write fails with EFBIG, as on a full disk.
    pid_t startConverter(int errFd = -1, rlim_t fileSize = RLIM_INFINITY) const {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(errFd < 0 ? null : errFd, STDERR_FILENO);
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{fileSize, fileSize};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::execl(KOVREL_CONVERT, KOVREL_CONVERT, "--drive", "D", "--mode", "add",
                    infoPath.c_str(), nullptr);
            ::_exit(127);
        }
        if (pid < 0)
            throw std::runtime_error("cannot start the converter");
        return pid;
    }
    ConverterEnd runConverter(rlim_t fileSize = RLIM_INFINITY) const {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0)
            throw std::runtime_error("no pipe");
        const pid_t pid = startConverter(pipeEnds[1], fileSize);
        ::close(pipeEnds[1]);
        std::string err;
        char buffer[4096];
        for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
            err.append(buffer, static_cast<std::size_t>(got));
        ::close(pipeEnds[0]);
        ConverterEnd end = reap(pid);
        end.err = std::move(err);
        return end;
    }

    std::string before;
};

// Status 1, the message and one line of cause (not a sanitizer's report), a peak below 1 GB.
void expectRunFailed(const ConverterEnd& end, std::string_view causePart) {
    ASSERT_TRUE(WIFEXITED(end.status)) << "the converter crashed\n" << end.err;
    EXPECT_EQ(WEXITSTATUS(end.status), 1) << end.err;
    EXPECT_TRUE(end.err.starts_with(std::string(messages::kRunFailed) + "\n")) << end.err;
    EXPECT_NE(end.err.find(causePart), std::string::npos) << causePart << " not in " << end.err;
    EXPECT_EQ(std::count(end.err.begin(), end.err.end(), '\n'), 2) << end.err;
#if !defined(__SANITIZE_ADDRESS__)  // where shadow memory and quarantine would count too
    EXPECT_LT(end.peakRssKb, 1'000'000'000L / 1024);
#endif
}

// A value beyond the XML parser's text limit was once saved into a declaration that did not load.
TEST(HostileInput, InfoValueOf100MBIsRefusedAndLeavesTheDeclaration) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "under AddressSanitizer a peak holds shadow memory and 100 MB take minutes";
#endif
    const ConverterScene scene(1, "12|" + std::string(100u << 20, 'a') + "\n");
    const ConverterEnd end = scene.runConverter();
    std::cout << "[ memory   ] peak " << end.peakRssKb / 1024 << " MB\n";
    expectRunFailed(end, "14. satır: Bir değer 104857600 bayt");
    EXPECT_TRUE(scene.onDisk() == scene.before) << "a failed run changed the declaration";
    EXPECT_TRUE(scene.beside().empty());
}

// Without effective capabilities permission bits bind even for root (CI containers run as root).
bool setEffectiveCapabilities(bool permitted) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    for (auto& set : data)
        set.effective = permitted ? set.permitted : 0;
    return ::syscall(SYS_capset, &header, data) == 0;
}

// A save into a folder that may not be written fails, and the user may try again. (A folder that
// cannot be made is the conversion test's drive Q:, a read-only declaration the window's.)
TEST(FileSystemFault, RefusedWriteFailsTheRunAndKeepsTheDeclaration) {
    const ConverterScene scene;
    fs::permissions(scene.declaration().parent_path(), fs::perms(0222), fs::perm_options::remove);
    ASSERT_TRUE(setEffectiveCapabilities(false) || ::geteuid() != 0);
    const auto outcome = scene.run({"D", Mode::AddToExisting, {}, {}});
    setEffectiveCapabilities(true);
    EXPECT_EQ(outcome.end, conversion::RunEnd::SaveFailed);
    EXPECT_FALSE(outcome.cause.empty());
    EXPECT_EQ(scene.onDisk(), scene.before);
    EXPECT_TRUE(scene.beside().empty());
}

TEST(DiskFull, SaveFailsShortOfRoomAndCompletesWithExactlyEnough) {
    const ConverterScene scene(3000);  // a declaration that takes many write calls
    ASSERT_EQ(scene.runConverter().status, 0);
    const std::string toBeSaved = scene.onDisk();
    ASSERT_GT(toBeSaved.size(), 64u * 1024);

    for (const rlim_t room : {rlim_t{0}, rlim_t{4096}, toBeSaved.size() - 1, toBeSaved.size()}) {
        SCOPED_TRACE(room);
        scene.place(scene.before);

        const auto end = scene.runConverter(room);

        if (room < toBeSaved.size())
            expectRunFailed(end, "kaydedilemedi: dosya, diskin");
        else
            EXPECT_EQ(end.status, 0) << end.err;
        EXPECT_TRUE(scene.onDisk() == (room < toBeSaved.size() ? scene.before : toBeSaved));
        EXPECT_TRUE(scene.beside().empty());
    }
}

// Killed at random moments, the converter leaves the old or the complete new declaration and at
// most one temporary file, which the next completed run clears. KOVREL_KILL_COUNT sets the
// number of kills (default 40), KOVREL_KILL_SEED repeats a sequence of moments.

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::microseconds;

unsigned long fromEnvironment(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

// Until the run has ended (unreaped: its pid stays its own for the kill) or the moment has come.
template <typename Moment>
void await(pid_t converter, Moment moment) {
    siginfo_t info{};
    const auto id = static_cast<id_t>(converter);
    while ((::waitid(P_PID, id, &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
            info.si_pid != converter) &&
           !moment())
        std::this_thread::sleep_for(Micros(100));
}

// Each run first keeps the declaration it replaces: however it is stopped, no completed replace
// goes without its whole version (the twenty newest are kept).
TEST(KillDuringRun, DeclarationIsAlwaysTheOldOrTheCompleteNewOne) {
    const unsigned long kills = fromEnvironment("KOVREL_KILL_COUNT", 40);
    const unsigned long seed = fromEnvironment("KOVREL_KILL_SEED", std::random_device{}());
    std::cout << "[ kills    ] " << kills << " with KOVREL_KILL_SEED=" << seed << '\n';
    const ConverterScene scene(20000);  // long enough to be hit anywhere
    const std::string target =
        conversion::targetXmlPath(conversion::ebynRoot("D"), scene.read().header);
    const auto versions = [&] { return conversion::keptVersions(target).size(); };
    const auto saveBegun = [&](const Names& earlier) {
        return [&scene, earlier] {
            const Names now = scene.beside();
            return !std::includes(earlier.begin(), earlier.end(), now.begin(), now.end());
        };
    };

    // Undisturbed runs give the new declaration and the lengths of a run and of its save.
    long runLength = LONG_MAX, saveLength = LONG_MAX;
    for (int i = 0; i < 3; ++i) {
        scene.place(scene.before);
        const auto started = Clock::now();
        const pid_t converter = scene.startConverter();
        await(converter, saveBegun(Names{}));
        const auto saving = Clock::now();
        await(converter, [] { return false; });
        runLength = std::min(runLength, (Clock::now() - started) / Micros(1));
        saveLength = std::min(saveLength, (Clock::now() - saving) / Micros(1));
        ASSERT_EQ(reap(converter).status, 0);
    }
    const std::string after = scene.onDisk();
    ASSERT_NE(after, scene.before);
    std::size_t replaced = 3;

    // A third of the moments anywhere in a run, a third in its save (the rename and the exit
    // included), a third within 2 ms of the kept version, which is copied in a moment.
    std::mt19937_64 random(seed);
    const long latest[] = {runLength * 6 / 5, saveLength * 6 / 5, 2000};
    for (unsigned long i = 0; i < kills; ++i) {
        scene.place(scene.before);
        const Names earlier = scene.beside();  // what an earlier kill left
        const std::size_t kept = versions();
        const pid_t converter = scene.startConverter();
        if (i % 3 == 1)
            await(converter, saveBegun(earlier));
        if (i % 3 == 2)
            await(converter,
                  [&] { return versions() > kept || kept == conversion::kKeptVersions; });
        const long delay = std::uniform_int_distribution<long>(0, latest[i % 3])(random);
        std::this_thread::sleep_for(Micros(delay));
        ::kill(converter, SIGKILL);  // no effect once it has ended
        const bool finishedFirst = WIFEXITED(reap(converter).status);

        const std::string onDisk = scene.onDisk();
        ASSERT_TRUE(onDisk == scene.before || onDisk == after)
            << "kill " << i << " after " << delay << " us left " << onDisk.size()
            << " bytes, neither old nor new";
        replaced += onDisk == after;
        const auto newest = conversion::keptVersions(target);
        ASSERT_GE(newest.size(), std::min(replaced, conversion::kKeptVersions));
        EXPECT_TRUE(test::readBytes(newest.front().path) == scene.before)
            << "a version is not whole";
        const Names beside = scene.beside();
        ASSERT_LE(beside.size(), 1u) << "temporary files pile up";
        for (const auto& name : beside)
            EXPECT_FALSE(name.ends_with(".xml")) << name << " looks like a declaration";
        EXPECT_TRUE(!finishedFirst || beside.empty()) << "a completed run left " << *beside.begin();
    }

    scene.place(scene.before);
    ASSERT_EQ(reap(scene.startConverter()).status, 0);
    EXPECT_EQ(scene.onDisk(), after);
    EXPECT_TRUE(scene.beside().empty()) << "the completed run left a temporary file";
}

}  // namespace
}  // namespace kovrel::hostile
