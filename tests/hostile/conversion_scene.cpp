#include "hostile/conversion_scene.h"

#include <gtest/gtest.h>

#include <iostream>
#include <stdexcept>

#include "conversion/skeleton.h"
#include "conversion/target_path.h"
#include "platform/file_system.h"
#include "platform/xml_document.h"
#include "textconv/text_conv.h"

namespace kovrel::hostile {
namespace fs = std::filesystem;

ConversionScene::ConversionScene(std::string_view infoBytes)
    : infoFile_(drive_.root() / "beyan.txt") {
    test::writeBytes(infoFile_, infoBytes);
    fs::create_directories(drive_.root() / "ebyn");
}

ConversionScene::ConversionScene(const test::InfoHeader& header,
                                 const std::vector<std::string>& body)
    : ConversionScene(test::infoFileText(header, body)) {}

const infofile::DeclarationHeader& ConversionScene::header() {
    if (!read_) {
        std::string error;
        read_ = infofile::readDeclarationHeader(infoFile_, error);
        if (!read_)
            throw std::runtime_error("the header does not read: " + error);
    }
    return read_->header;
}

std::string ConversionScene::targetXmlPath() {
    return conversion::targetXmlPath(conversion::ebynRoot("D"), header());
}

fs::path ConversionScene::hostTarget() {
    return platform::hostPath(targetXmlPath());
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

conversion::RunOutcome ConversionScene::runInProcess(conversion::Mode mode) {
    conversion::RunChoices choices;
    choices.driveText = "D";
    choices.mode = mode;
    return conversion::ConversionRun(header(), infoFile_, choices);
}

ChildResult ConversionScene::runConverter(const std::vector<std::string>& extraArgs,
                                          const ChildLimits& limits) {
    std::vector<std::string> args{"--drive", "D"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    args.push_back(infoFile_);
    return hostile::runConverter(args, limits);
}

test::InfoHeader corporateHeader() {
    test::InfoHeader header;
    header.type = "KURUMLAR";
    header.taxNo = "3456789012";
    header.surname =
        "\x9E"
        "AH\x98"
        "N";  // ŞAHİN
    return header;
}

std::vector<std::string> corporateBody() {
    return {test::record({"1", "100", "25.400,00", "18.200,00"}),
            test::record({"11", "Kasa & banka"}), test::record({"4", "1", "165.400,00"})};
}

void expectCorporateBodyWritten(std::string_view savedBytes) {
    std::string error;
    const auto doc = platform::xml::Document::parse(textconv::cleanXmlFile(savedBytes), &error);
    ASSERT_FALSE(doc.empty()) << "the saved declaration does not load: " << error;
    EXPECT_EQ(test::compactXml(doc.selectSingleNode("//beyanname/ozel/ekler/tdhpAktif")),
              "<tdhpAktif><tdhpAktifSatiri><kod>100</kod><od>25.400,00</od>"
              "<cd>18.200,00</cd></tdhpAktifSatiri></tdhpAktif>");
    // compactXml shows texts unescaped: the footnote's "&" reads back as itself.
    EXPECT_EQ(test::compactXml(doc.selectSingleNode("//beyanname/ozel/ekler/tdhpAktifDipnot")),
              "<tdhpAktifDipnot><tdhpAktifDipnotSatiri><deger>Kasa & banka</deger>"
              "</tdhpAktifDipnotSatiri></tdhpAktifDipnot>");
    EXPECT_EQ(test::compactXml(doc.selectSingleNode("//beyanname/ozel/maliBilgiler")),
              "<maliBilgiler><aktifToplam>165.400,00</aktifToplam></maliBilgiler>");
    EXPECT_EQ(doc.selectSingleNode("//beyanname/genel/mukellef/soyadi").text(), "ŞAHİN");
}

void expectPeakWithinBound(const ChildResult& result, std::string_view what) {
    std::cout << "[ memory   ] " << what << ": peak " << result.peakRssKb / 1024 << " MB\n";
    if (!kUnderAddressSanitizer) {
        EXPECT_LT(result.peakRssKb, kPeakRssLimitKb) << what;
    }
}

std::string skeletonFor(const infofile::DeclarationHeader& header) {
    return conversion::writeDeclarationSkeleton(header);
}

}  // namespace kovrel::hostile
