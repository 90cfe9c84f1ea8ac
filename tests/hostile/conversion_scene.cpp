#include "hostile/conversion_scene.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "conversion/skeleton.h"
#include "conversion/target_path.h"
#include "platform/file_system.h"

extern char** environ;

namespace kovrel::hostile {
namespace fs = std::filesystem;

test::InfoHeader corporateHeader() {
    test::InfoHeader header;
    header.type = "KURUMLAR";
    header.taxNo = "3456789012";
    header.surname = "\x9E\x41H\x98N";  // ŞAHİN
    return header;
}

std::string corporateInfo(int rows) {
    std::vector<std::string> body;
    for (int i = 0; i < rows; ++i)
        body.push_back(test::record({"1", std::to_string(100 + i), "1.000,00", "2,00"}));
    return test::infoFileText(corporateHeader(), body);
}

ConversionScene::ConversionScene(std::string_view infoBytes)
    : infoFile_(drive_.root() / "beyan.txt") {
    test::writeBytes(infoFile_, infoBytes);
    fs::create_directories(drive_.root() / "ebyn");
}

const infofile::DeclarationHeader& ConversionScene::header() {
    if (!header_) {
        std::string error;
        const auto read = infofile::readDeclarationHeader(infoFile_, error);
        if (!read)
            throw std::runtime_error("the header does not read: " + error);
        header_ = read->header;
    }
    return *header_;
}

fs::path ConversionScene::hostTarget() {
    return platform::hostPath(conversion::targetXmlPath(conversion::ebynRoot("D"), header()));
}

std::string ConversionScene::skeleton() {
    return conversion::writeDeclarationSkeleton(header());
}

void ConversionScene::placeDeclaration(std::string_view bytes) {
    test::writeBytes(hostTarget(), bytes);
}

std::string ConversionScene::declarationOnDisk() {
    return test::readBytes(hostTarget());
}

std::vector<std::string> ConversionScene::filesBeside() {
    std::vector<std::string> names;
    const fs::path target = hostTarget();
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(target.parent_path(), ignored)) {
        if (entry.path().filename() != target.filename())
            names.push_back(entry.path().filename());
    }
    return names;
}

conversion::RunOutcome ConversionScene::runInProcess(conversion::Mode mode, bool dryRun) {
    conversion::RunChoices choices;
    choices.driveText = "D";
    choices.mode = mode;
    choices.dryRun = dryRun;
    return conversion::ConversionRun(header(), infoFile_, choices);
}

std::vector<std::string> ConversionScene::converterArgs() const {
    return {KOVREL_CONVERT, "--drive", "D", "--mode", "add", infoFile_};
}

ConverterEnd ConversionScene::runConverter(std::optional<rlim_t> fileSizeLimit) {
    std::string command = "exec '" KOVREL_MEASURE_PEAK "' ";
    command += fileSizeLimit ? std::to_string(*fileSizeLimit) : "-";
    for (const auto& arg : converterArgs())
        command += " '" + arg + "'";
    // The messages through a pipe: the limit on file sizes must not cut them.
    FILE* pipe = ::popen((command + " 2>&1 >/dev/null").c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot start " + command);
    std::string err;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        err.append(buffer, got);
    ::pclose(pipe);

    // kovrel_measure_peak's report follows the converter's messages on a line of its own.
    const auto report = err.rfind("\nkovrel_measure_peak ");
    if (report == std::string::npos)
        throw std::runtime_error("kovrel_measure_peak reported nothing: " + err);
    ConverterEnd end;
    std::string tag;
    std::istringstream(err.substr(report + 1)) >> tag >> end.exitCode >> end.signal >>
        end.peakRssKb;
    end.err = err.substr(0, report);
    return end;
}

pid_t startProcess(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const auto& arg : argv)
        pointers.push_back(const_cast<char*>(arg.c_str()));
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int failed =
        ::posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

int reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            throw std::runtime_error("waitpid failed");
    }
    return status;
}

void expectRefusal(const ConverterEnd& end, int exitCode, std::string_view message,
                   std::string_view causePart) {
    std::cout << "[ memory   ] peak " << end.peakRssKb / 1024 << " MB\n";
    ASSERT_EQ(end.signal, 0) << "the converter crashed\n" << end.err;
    EXPECT_EQ(end.exitCode, exitCode) << end.err;
    const auto lineEnd = end.err.find('\n');
    EXPECT_EQ(end.err.substr(0, lineEnd), message);
    const std::string cause = lineEnd == std::string::npos ? "" : end.err.substr(lineEnd + 1);
    EXPECT_TRUE(cause.find(causePart) != std::string::npos) << causePart << " not in " << cause;
    EXPECT_EQ(std::count(cause.begin(), cause.end(), '\n'), 1) << cause;
    if (!kUnderAddressSanitizer) {
        EXPECT_LT(end.peakRssKb, 1'000'000'000L / 1024);
    }
}

}  // namespace kovrel::hostile
