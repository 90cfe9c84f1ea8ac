#include "conversion/income_tax.h"

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
constexpr std::string_view kPerformancePath = "//beyanname/ozel/performans";
constexpr std::string_view kSummaryPath =
    "//beyanname/ozel/ekler/isletmeHesapOzetleri/isletmeHesapOzeti";
constexpr std::string_view kSummaryTitlePath =
    "//beyanname/ozel/ekler/isletmeHesapOzetleri/isletmeHesapOzeti/unvani";

constexpr std::array<std::pair<std::string_view, std::string_view>, 10> kPerformanceItems{{
    {"1", "netSatis"},
    {"2", "satisMaliyeti"},
    {"3", "faaliyetGideri"},
    {"4", "finansmanGideri"},
    {"5", "amortismanGideri"},
    {"6", "yatirimIndirimi"},
    {"7", "aktifToplami"},
    {"8", "odenmisSermaye"},
    {"9", "maddiDuranVarlik"},
    {"10", "maliDuranVarlik"},
}};

struct SummaryPair {
    std::string_view code, first, second;
};
constexpr std::array<SummaryPair, 4> kSummaryPairs{{
    {"10", "donemBasiEM", "donemIciEEH"},
    {"20", "donemIciSE", "digerGelir"},
    {"60", "gider", "donemSonuE"},
    {"81", "kar", "zarar"},
}};

void appendIfNotEmpty(SectionLocator& locator, Node parent, std::string_view name,
                      const std::string& rawValue) {
    if (!rawValue.empty())
        locator.appendWithText(parent, name, decodeLatin5(rawValue));
}

void appendStatementRow(SectionLocator& locator, const InfoRecord& record,
                        const std::string& enterpriseTitle, std::string_view sectionPath,
                        std::string_view rowName, bool withTip) {
    requireFields(record, 4);
    const Node section = locator.require(sectionPath);
    std::array<std::string, 4> texts;
    std::vector<Node::Leaf> leaves;
    if (!enterpriseTitle.empty())
        leaves.push_back({"unvani", enterpriseTitle});
    const auto addIfNotEmpty = [&](std::string_view name, std::size_t field) {
        if (record[field].empty())
            return;
        texts[field] = decodeLatin5(record[field]);
        leaves.push_back({name, texts[field]});
    };
    if (withTip)
        addIfNotEmpty("tip", 0);
    addIfNotEmpty("kod", 1);
    addIfNotEmpty("od", 2);
    addIfNotEmpty("cd", 3);
    locator.appendRow(section, rowName, leaves);
}

void appendPerformanceItem(SectionLocator& locator, const InfoRecord& record) {
    requireFields(record, 2);
    Node performans = locator.find(kPerformancePath);
    if (!performans)
        performans = locator.append(locator.require(kOzelPath), "performans");
    for (const auto& [subCode, element] : kPerformanceItems) {
        if (record[1] != subCode)
            continue;
        requireFields(record, 3);
        appendIfNotEmpty(locator, performans, element, record[2]);
        return;
    }
}

// The first 15 and the last 15 characters of a field, each without surrounding spaces.
std::pair<std::string, std::string> summaryColumns(const std::string& field) {
    constexpr std::size_t kWidth = 15;
    const std::string first = field.substr(0, kWidth);
    const std::string last = field.size() > kWidth ? field.substr(field.size() - kWidth) : field;
    return {decodeLatin5(textconv::trimSpaces(first)), decodeLatin5(textconv::trimSpaces(last))};
}

void appendSummaryValues(SectionLocator& locator, const InfoRecord& record,
                         const std::string& enterpriseTitle) {
    const SummaryPair* pair = nullptr;
    for (const auto& candidate : kSummaryPairs) {
        if (record[0] == candidate.code)
            pair = &candidate;
    }
    if (pair)
        requireFields(record, 2);
    const bool addsTitle = !enterpriseTitle.empty() && !locator.find(kSummaryTitlePath);
    if (!addsTitle && !pair)
        return;

    const Node summary = locator.require(kSummaryPath);
    if (addsTitle)
        locator.appendWithText(summary, "unvani", enterpriseTitle);
    if (pair) {
        const auto [first, second] = summaryColumns(record[1]);
        locator.appendWithText(summary, pair->first, first);
        locator.appendWithText(summary, pair->second, second);
    }
}

}  // namespace

void applyIncomeTaxRecord(SectionLocator& locator, const InfoRecord& record,
                          const std::string& enterpriseTitle, bool usesBusinessSummary) {
    if (record.empty() || record[0].empty())
        return;
    const std::string& code = record[0];
    if (code == "1" || code == "2") {
        appendStatementRow(locator, record, enterpriseTitle, kBalanceSheetPath, kBalanceSheetRow,
                           true);
    } else if (code == "3") {
        appendStatementRow(locator, record, enterpriseTitle, kIncomeStatementPath,
                           kIncomeStatementRow, false);
    } else if (code == "4") {
        appendPerformanceItem(locator, record);
    } else if (usesBusinessSummary) {
        appendSummaryValues(locator, record, enterpriseTitle);
    }
}

std::span<const std::string_view> incomeTaxRowNames() {
    static constexpr std::array<std::string_view, 2> kNames{kBalanceSheetRow, kIncomeStatementRow};
    return kNames;
}

void clearBusinessSummary(SectionLocator& locator) {
    const Node summary = locator.find(kSummaryPath);
    if (!summary)
        return;
    for (const Node child : summary.childElements())
        locator.remove(summary, child);
}

}  // namespace kovrel::conversion
