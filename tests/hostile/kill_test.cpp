// The converter killed at random moments of a run, many times over: afterwards the declaration
// is always either the one from before or the complete new one, at most one temporary file of
// an interrupted save lies beside it, and the next run that completes clears that away.
//
// KOVREL_KILL_COUNT sets the number of kills (default 40, enough for CI); KOVREL_KILL_SEED
// repeats a sequence of moments.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <iostream>
#include <random>
#include <thread>

#include "hostile/conversion_scene.h"

namespace kovrel::hostile {
namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::microseconds;
using Names = std::vector<std::string>;

unsigned long fromEnvironment(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

// Without reaping it, so that its pid stays its own until the kill.
bool ended(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

bool holdsNewName(const Names& names, const Names& old) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return std::find(old.begin(), old.end(), name) == old.end();
    });
}

// Until the save has begun (a file other than those of earlier runs lies beside the
// declaration) or the run has ended.
void awaitSave(ConversionScene& scene, pid_t converter, const Names& earlier) {
    while (!holdsNewName(scene.filesBeside(), earlier) && !ended(converter))
        std::this_thread::sleep_for(Micros(100));
}

long since(Clock::time_point start) {
    return std::chrono::duration_cast<Micros>(Clock::now() - start).count();
}

TEST(KillDuringRun, DeclarationIsAlwaysTheOldOrTheCompleteNewOne) {
    const unsigned long kills = fromEnvironment("KOVREL_KILL_COUNT", 40);
    const unsigned long seed = fromEnvironment("KOVREL_KILL_SEED", std::random_device{}());
    std::cout << "[ kills    ] " << kills << " with KOVREL_KILL_SEED=" << seed << '\n';

    ConversionScene scene(
        corporateInfo(20000));  // a run long enough to be hit anywhere, the save included
    const std::string before = scene.skeleton();

    // Undisturbed runs give the new declaration and the lengths of a run and of its save; the
    // shortest of three, as the first runs from a cold cache.
    long runLength = LONG_MAX, saveLength = LONG_MAX;
    for (int i = 0; i < 3; ++i) {
        scene.placeDeclaration(before);
        const auto started = Clock::now();
        const pid_t converter = startProcess(scene.converterArgs());
        awaitSave(scene, converter, {});
        const auto saving = Clock::now();
        while (!ended(converter))
            std::this_thread::sleep_for(Micros(100));
        runLength = std::min(runLength, since(started));
        saveLength = std::min(saveLength, since(saving));
        ASSERT_EQ(reap(converter), 0);
    }
    const std::string after = scene.declarationOnDisk();
    ASSERT_NE(after, before);

    // Half the moments anywhere in a run, half in its save, the rename and the exit included.
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<long> anywhere(0, runLength * 6 / 5);
    std::uniform_int_distribution<long> inTheSave(0, saveLength * 6 / 5);
    int old = 0, temporaryLeft = 0;
    for (unsigned long i = 0; i < kills; ++i) {
        scene.placeDeclaration(before);
        const Names earlier = scene.filesBeside();  // what an earlier kill left
        const pid_t converter = startProcess(scene.converterArgs());
        const bool duringSave = i % 2;
        if (duringSave)
            awaitSave(scene, converter, earlier);
        const long delay = duringSave ? inTheSave(random) : anywhere(random);
        std::this_thread::sleep_for(Micros(delay));
        ::kill(converter, SIGKILL);  // no effect once it has ended
        const bool finishedFirst = WIFEXITED(reap(converter));

        const std::string onDisk = scene.declarationOnDisk();
        ASSERT_TRUE(onDisk == before || onDisk == after)
            << "kill " << i << " after " << delay << " us left " << onDisk.size()
            << " bytes, neither old nor new";
        old += onDisk == before;
        const Names beside = scene.filesBeside();
        ASSERT_LE(beside.size(), 1u) << "temporary files pile up";
        for (const auto& name : beside)
            EXPECT_FALSE(name.ends_with(".xml")) << name << " looks like a declaration";
        if (finishedFirst) {
            EXPECT_TRUE(beside.empty()) << "a completed run left " << beside.front();
        }
        temporaryLeft += holdsNewName(beside, earlier);
    }

    scene.placeDeclaration(before);
    ASSERT_EQ(reap(startProcess(scene.converterArgs())), 0);
    EXPECT_EQ(scene.declarationOnDisk(), after);
    EXPECT_TRUE(scene.filesBeside().empty()) << "the completed run left a temporary file";
    std::cout << "[ kills    ] " << old << " old, " << kills - old << " new, " << temporaryLeft
              << " left a temporary file of their own\n";
}

}  // namespace
}  // namespace kovrel::hostile
