// The converter killed at random moments of a run, many times over: afterwards the declaration
// is always either the one from before or the complete new one, at most one temporary file of
// an interrupted save lies beside it, and the next run that completes clears that away.
//
// KOVREL_KILL_COUNT sets the number of kills (default 40, enough for CI); KOVREL_KILL_SEED
// repeats a sequence of moments.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "hostile/conversion_scene.h"

namespace kovrel::hostile {
namespace {

using Clock = std::chrono::steady_clock;

unsigned long fromEnvironment(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

// Enough records that a run lasts long enough to be hit anywhere, the save included.
std::vector<std::string> manyRecords() {
    std::vector<std::string> body = corporateBody();
    for (int i = 0; i < 20000; ++i)
        body.push_back(test::record({"1", std::to_string(100 + i), "1.000,00", "2.000,00"}));
    return body;
}

struct Tally {
    int old = 0, complete = 0, finishedFirst = 0, temporaryLeft = 0;
};

TEST(KillDuringRun, DeclarationIsAlwaysTheOldOrTheCompleteNewOne) {
    const unsigned long kills = fromEnvironment("KOVREL_KILL_COUNT", 40);
    const unsigned long seed = fromEnvironment("KOVREL_KILL_SEED", std::random_device{}());
    std::cout << "[ kills    ] " << kills << " with KOVREL_KILL_SEED=" << seed << '\n';

    ConversionScene scene(corporateHeader(), manyRecords());
    const std::string before = skeletonFor(scene.header());
    const std::vector<std::string> args{"--drive", "D", "--mode", "add", scene.infoFile()};

    // One undisturbed run gives the new declaration and the length of a run.
    scene.placeDeclaration(before);
    const auto started = Clock::now();
    ASSERT_EQ(RunningConverter(args).wait().exitCode, 0);
    const auto runLength = Clock::now() - started;
    const std::string after = scene.declarationOnDisk();
    ASSERT_NE(after, before);

    // Half the moments anywhere in a run, half in its last third, where the save is.
    std::mt19937_64 random(seed);
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(runLength).count();
    std::uniform_int_distribution<long> anywhere(0, micros * 11 / 10);
    std::uniform_int_distribution<long> nearTheEnd(micros * 2 / 3, micros * 11 / 10);
    Tally tally;
    for (unsigned long i = 0; i < kills; ++i) {
        scene.placeDeclaration(before);
        const long delay = i % 2 ? nearTheEnd(random) : anywhere(random);
        RunningConverter converter(args);
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        if (converter.kill().signal == 0)
            ++tally.finishedFirst;

        const std::string onDisk = scene.declarationOnDisk();
        const bool isOld = onDisk == before;
        const bool isNew = onDisk == after;
        ASSERT_TRUE(isOld || isNew) << "kill " << i << " after " << delay << " us left "
                                    << onDisk.size() << " bytes, neither old nor new";
        isOld ? ++tally.old : ++tally.complete;
        const auto beside = scene.filesBeside();
        ASSERT_LE(beside.size(), 1u) << "temporary files pile up";
        for (const auto& name : beside)
            EXPECT_FALSE(name.ends_with(".xml")) << name << " looks like a declaration";
        tally.temporaryLeft += static_cast<int>(beside.size());
    }

    scene.placeDeclaration(before);
    ASSERT_EQ(RunningConverter(args).wait().exitCode, 0);
    EXPECT_EQ(scene.declarationOnDisk(), after);
    EXPECT_TRUE(scene.filesBeside().empty()) << "the completed run left a temporary file";

    std::cout << "[ kills    ] run " << micros / 1000 << " ms; " << kills << " kills: " << tally.old
              << " old, " << tally.complete << " complete new (" << tally.finishedFirst
              << " finished before the kill), " << tally.temporaryLeft
              << " left a temporary file behind\n";
}

}  // namespace
}  // namespace kovrel::hostile
