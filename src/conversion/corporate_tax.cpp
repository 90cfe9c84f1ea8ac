#include "conversion/corporate_tax.h"

#include <array>
#include <utility>
#include <vector>

#include "conversion/record_fields.h"
#include "textconv/text_conv.h"

namespace kovrel::conversion {
namespace {

using infofile::InfoRecord;
using platform::xml::Node;
using textconv::decodeLatin5;

constexpr std::string_view kOzelPath = "//beyanname/ozel";
constexpr std::string_view kSummaryPath = "//beyanname/ozel/maliBilgiler";

struct Table {
    std::string_view path, rowName;
};
// In clearing order.
constexpr std::array<Table, 6> kTables{{
    {"//beyanname/ozel/ekler/tdhpAktif", "tdhpAktifSatiri"},
    {"//beyanname/ozel/ekler/tdhpAktifDipnot", "tdhpAktifDipnotSatiri"},
    {"//beyanname/ozel/ekler/tdhpPasif", "tdhpPasifSatiri"},
    {"//beyanname/ozel/ekler/tdhpPasifDipnot", "tdhpPasifDipnotSatiri"},
    {"//beyanname/ozel/ekler/tdhpGelirTablosu", "tdhpGelirTablosuSatiri"},
    {"//beyanname/ozel/ekler/tdhpGelirTablosuDipnot", "tdhpGelirTablosuDipnotSatiri"},
}};
const Table& kAssets = kTables[0];
const Table& kAssetNotes = kTables[1];
const Table& kLiabilities = kTables[2];
const Table& kLiabilityNotes = kTables[3];
const Table& kIncomeStatement = kTables[4];
const Table& kIncomeStatementNotes = kTables[5];

constexpr std::array<std::pair<std::string_view, std::string_view>, 15> kSummaryItems{{
    {"1", "aktifToplam"},
    {"2", "odenmisSermaye"},
    {"3", "maddiDuranVarliklar"},
    {"4", "maliDuranVarliklar"},
    {"5", "stoklar"},
    {"6", "kisaVadeliAlacaklar"},
    {"7", "kisaVadeliBorclar"},
    {"8", "uzunVadeliAlacaklar"},
    {"9", "uzunVadeliBorclar"},
    {"10", "netSatislar"},
    {"11", "satislarinMaliyeti"},
    {"12", "faaliyetGiderleri"},
    {"13", "finansmanGiderleri"},
    {"14", "amortismanGiderleri"},
    {"15", "digerFaaliyetGiderZarar"},
}};

void appendTableRow(SectionLocator& locator, const InfoRecord& record, const Table& table) {
    requireFields(record, 4);
    const Node section = locator.require(table.path);
    const std::array<std::string_view, 3> names{"kod", "od", "cd"};
    std::array<std::string, 3> texts;
    std::vector<Node::Leaf> leaves;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& value = record[i + 1];
        if (value.empty())
            continue;
        texts[i] = decodeLatin5(value);
        leaves.push_back({names[i], texts[i]});
    }
    locator.appendRow(section, table.rowName, leaves);
}

void appendFootnote(SectionLocator& locator, const InfoRecord& record, const Table& table) {
    requireFields(record, 2);
    const Node section = locator.require(table.path);
    const std::string text = textconv::mapTurkishChars(record[1]);
    locator.appendRow(section, table.rowName, {{"deger", text}});
}

void appendSummaryItem(SectionLocator& locator, const InfoRecord& record) {
    requireFields(record, 2);
    Node summary = locator.find(kSummaryPath);
    if (!summary)
        summary = locator.append(locator.require(kOzelPath), "maliBilgiler");
    for (const auto& [itemCode, element] : kSummaryItems) {
        if (record[1] != itemCode)
            continue;
        requireFields(record, 3);
        if (!record[2].empty())
            locator.appendWithText(summary, element, decodeLatin5(record[2]));
        return;
    }
}

}  // namespace

std::span<const std::string_view> corporateTaxRowNames() {
    static constexpr auto kNames = [] {
        std::array<std::string_view, kTables.size()> names;
        for (std::size_t i = 0; i < kTables.size(); ++i)
            names[i] = kTables[i].rowName;
        return names;
    }();
    return kNames;
}

void clearCorporateTaxSections(SectionLocator& locator) {
    for (const Table& table : kTables) {
        const Node element = locator.require(table.path);
        for (const Node row : element.childElements(table.rowName))
            locator.remove(element, row);
    }
    const Node ozel = locator.require(kOzelPath);
    for (const Node old : ozel.childElements("maliBilgiler"))
        locator.remove(ozel, old);
    locator.append(ozel, "maliBilgiler");
}

void applyCorporateTaxRecord(SectionLocator& locator, const InfoRecord& record) {
    if (record.empty() || record[0].empty())
        return;
    const std::string& code = record[0];
    if (code == "1") {
        appendTableRow(locator, record, kAssets);
    } else if (code == "2") {
        appendTableRow(locator, record, kLiabilities);
    } else if (code == "3") {
        appendTableRow(locator, record, kIncomeStatement);
    } else if (code == "4") {
        appendSummaryItem(locator, record);
    } else if (code == "11") {
        appendFootnote(locator, record, kAssetNotes);
    } else if (code == "12") {
        appendFootnote(locator, record, kLiabilityNotes);
    } else if (code == "13") {
        appendFootnote(locator, record, kIncomeStatementNotes);
    }
}

}  // namespace kovrel::conversion
