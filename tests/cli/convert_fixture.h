#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/convert_command.h"
#include "platform/xml_document.h"
#include "support/test_support.h"

namespace kovrel::cli::test {

namespace fs = std::filesystem;
using kovrel::test::InfoHeader;

// What one kovrel-convert call gave back.
struct ConvertResult {
    int status = -1;
    std::string out;
    std::string err;

    // Line n (from 0) of standard error, without its line end; empty when there is none.
    std::string errLine(std::size_t n) const {
        std::istringstream lines(err);
        std::string line;
        for (std::size_t i = 0; i <= n; ++i) {
            if (!std::getline(lines, line))
                return {};
        }
        return line;
    }
};

// The three bundled examples and where their declarations belong, worked out from their
// headers: the identity number names the folder when it has 11 characters.
struct Example {
    const char* name;
    const char* folder;  // folderTaxNo
    const char* file;    // office_folder_TYPE_10_period.xml
    const char* type;
};

inline constexpr Example kExamples[] = {
    {"gelir", "12345678901", "034250_12345678901_GELIR_10_2026.xml", "GELIR"},
    {"gelir-ozet", "45678901234", "034250_45678901234_GELIR_10_2026.xml", "GELIR"},
    {"kurumlar", "3456789012", "034250_3456789012_KURUMLAR_10_2026.xml", "KURUMLAR"},
};

// Tests that give themselves drives through a temporary Wine prefix.
class NeedsTempDrive : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "a Windows process keeps the drive letters it was started with";
#endif
    }
};

// Each test has its own drive D: holding an ebyn folder, and a folder for info files.
class ConvertFixture : public NeedsTempDrive {
  protected:
    ConvertFixture() { fs::create_directories(drive_.root() / "ebyn"); }

    static ConvertResult convert(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        ConvertResult result;
        result.status = runConvert(args, out, err);
        result.out = out.str();
        result.err = err.str();
        return result;
    }

    static std::string examplePath(const Example& example) {
        return std::string(KOVREL_EXAMPLES) + "/" + example.name + "/beyan.txt";
    }
    static std::string pathText(char drive, const Example& example) {
        return std::string(1, drive) + ":\\ebyn\\beyannameler\\" + example.folder + "\\" +
               example.file;
    }
    fs::path hostFile(const Example& example) const {
        return drive_.root() / "ebyn" / "beyannameler" / example.folder / example.file;
    }

    // An info file of our own, with the builder's default header unless told otherwise.
    std::string writeInfoFile(const InfoHeader& header, const std::vector<std::string>& body) {
        const fs::path file =
            infoFiles_.path() / ("beyan" + std::to_string(++infoFileCount_) + ".txt");
        kovrel::test::writeBytes(file, kovrel::test::infoFileText(header, body));
        return file.string();
    }
    // Where the declaration of the builder's default header belongs on drive D.
    fs::path defaultHostFile() const {
        return drive_.root() / "ebyn/beyannameler/1234567890/034260_1234567890_GELIR_10_2023.xml";
    }

    kovrel::test::TempDrive drive_{"d"};
    kovrel::test::TempFolder infoFiles_;
    int infoFileCount_ = 0;
};

// The text of the first node an XPath expression selects in a declaration's bytes.
inline std::string textAt(const std::string& declaration, const std::string& xpath) {
    const auto document = platform::xml::Document::parse(declaration);
    const auto node = document.selectSingleNode(xpath);
    return node ? node.text() : "(missing)";
}

inline std::size_t countOf(const std::string& declaration, const std::string& xpath) {
    const auto document = platform::xml::Document::parse(declaration);
    return document.selectNodes(document.root(), xpath).size();
}

}  // namespace kovrel::cli::test
