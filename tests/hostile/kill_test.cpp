// The converter killed at random moments of a run, many times over: afterwards the declaration
// is always either the one from before or the complete new one, at most one temporary file of
// an interrupted save lies beside it, and the next run that completes clears that away.
//
// KOVREL_KILL_COUNT sets the number of kills (default 40, enough for CI); KOVREL_KILL_SEED
// repeats a sequence of moments.
#include <gtest/gtest.h>

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

using Names = std::vector<std::string>;

bool holdsNewName(const Names& names, const Names& old) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return std::find(old.begin(), old.end(), name) == old.end();
    });
}

// Waits until the save has begun (a file other than those of earlier runs appears beside the
// declaration) or the run has ended.
void awaitSave(ConversionScene& scene, RunningConverter& converter, const Names& earlier) {
    while (!holdsNewName(scene.filesBeside(), earlier) && !converter.ended())
        std::this_thread::sleep_for(Micros(100));
}

struct Timing {
    long run = 0;   // start to end, in microseconds
    long save = 0;  // from the first file beside the declaration to the end
};

Timing timeOneRun(ConversionScene& scene, const std::vector<std::string>& args) {
    const auto started = Clock::now();
    RunningConverter converter(args);
    awaitSave(scene, converter, {});
    const auto saving = Clock::now();
    while (!converter.ended())
        std::this_thread::sleep_for(Micros(100));
    const auto ended = Clock::now();
    EXPECT_EQ(converter.wait().exitCode, 0);
    return {std::chrono::duration_cast<Micros>(ended - started).count(),
            std::chrono::duration_cast<Micros>(ended - saving).count()};
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

    // Undisturbed runs give the new declaration and the lengths of a run and of its save; the
    // shortest of three, as the first runs from a cold cache.
    Timing timing{LONG_MAX, LONG_MAX};
    for (int i = 0; i < 3; ++i) {
        scene.placeDeclaration(before);
        const Timing one = timeOneRun(scene, args);
        timing = {std::min(timing.run, one.run), std::min(timing.save, one.save)};
    }
    const std::string after = scene.declarationOnDisk();
    ASSERT_NE(after, before);

    // Half the moments anywhere in a run, half in its save, the rename and the exit included.
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<long> anywhere(0, timing.run * 6 / 5);
    std::uniform_int_distribution<long> inTheSave(0, timing.save * 6 / 5);
    Tally tally;
    for (unsigned long i = 0; i < kills; ++i) {
        scene.placeDeclaration(before);
        const Names earlier = scene.filesBeside();  // what an earlier kill left
        RunningConverter converter(args);
        const bool duringSave = i % 2;
        if (duringSave)
            awaitSave(scene, converter, earlier);
        const long delay = duringSave ? inTheSave(random) : anywhere(random);
        std::this_thread::sleep_for(Micros(delay));
        const bool finishedFirst = converter.kill().signal == 0;

        const std::string onDisk = scene.declarationOnDisk();
        const bool isOld = onDisk == before;
        const bool isNew = onDisk == after;
        ASSERT_TRUE(isOld || isNew) << "kill " << i << " after " << delay << " us left "
                                    << onDisk.size() << " bytes, neither old nor new";
        isOld ? ++tally.old : ++tally.complete;
        const Names beside = scene.filesBeside();
        ASSERT_LE(beside.size(), 1u) << "temporary files pile up";
        for (const auto& name : beside)
            EXPECT_FALSE(name.ends_with(".xml")) << name << " looks like a declaration";
        if (finishedFirst) {
            ++tally.finishedFirst;
            EXPECT_TRUE(beside.empty()) << "a completed run left " << beside.front();
        }
        if (holdsNewName(beside, earlier))
            ++tally.temporaryLeft;
    }

    scene.placeDeclaration(before);
    ASSERT_EQ(RunningConverter(args).wait().exitCode, 0);
    EXPECT_EQ(scene.declarationOnDisk(), after);
    EXPECT_TRUE(scene.filesBeside().empty()) << "the completed run left a temporary file";

    std::cout << "[ kills    ] run " << timing.run / 1000 << " ms, save " << timing.save / 1000
              << " ms; " << kills << " kills: " << tally.old << " old, " << tally.complete
              << " complete new (" << tally.finishedFirst << " of them finished before the kill), "
              << tally.temporaryLeft << " left a temporary file of their own\n";
}

}  // namespace
}  // namespace kovrel::hostile
