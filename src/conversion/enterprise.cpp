#include "conversion/enterprise.h"

#include <algorithm>

#include "conversion/income_tax.h"
#include "platform/xml/stream_listing.h"
#include "textconv/text_conv.h"

namespace kovrel::conversion {
namespace {

using platform::xml::Node;

constexpr std::string_view kOzelPath = "//beyanname/ozel";

// The rows of a table whose unvani child holds exactly title. Titles are compared as texts,
// never put into an expression, so quotes in a title are harmless.
std::vector<Node> rowsOfEnterprise(Node table, std::string_view rowName, const std::string& title) {
    std::vector<Node> rows;
    for (const Node row : table.childElements(rowName)) {
        const auto titles = row.childTexts("unvani");
        if (std::find(titles.begin(), titles.end(), title) != titles.end())
            rows.push_back(row);
    }
    return rows;
}

void removeRowsOfEnterprise(SectionLocator& locator, std::string_view tablePath,
                            std::string_view rowName, const std::string& title) {
    const Node table = locator.require(tablePath);
    for (const Node row : rowsOfEnterprise(table, rowName, title))
        locator.remove(table, row);
}

void addNewRecord(SectionLocator& locator, const NewEnterpriseFields& fields,
                  bool usesBusinessSummary) {
    const Node list = locator.require(kTicariKazanclarPath);
    const Node record = locator.append(list, "ticariKazanc");
    const auto optional = [&](std::string_view name, const std::string& value) {
        if (!value.empty())
            locator.appendWithText(record, name, value);
    };
    optional("unvani", fields.title);
    optional("faaliyetKonusu", fields.activity);
    locator.appendWithText(record, "verilenEk", usesBusinessSummary ? "801" : "802");
    optional("payOrani", fields.share);
    optional("kar", fields.profit);
    optional("zarar", fields.loss);
    optional("kgv", fields.withheldTax);
}

}  // namespace

EnterpriseStep prepareEnterprise(SectionLocator& locator, const EnterpriseChoice& choice,
                                 const NewEnterpriseFields& fields, bool addMode,
                                 bool usesBusinessSummary, std::string& enterpriseTitle) {
    if (choice.listIndex == 0) {
        if (addMode && std::find(choice.listTitles.begin(), choice.listTitles.end(),
                                 fields.title) != choice.listTitles.end()) {
            return EnterpriseStep::DuplicateTitle;
        }
        addNewRecord(locator, fields, usesBusinessSummary);
        enterpriseTitle = fields.title;
    } else if (choice.listIndex >= 2) {
        const std::string& title = choice.listText;
        if (!usesBusinessSummary) {
            removeRowsOfEnterprise(locator, kBalanceSheetPath, kBalanceSheetRow, title);
            removeRowsOfEnterprise(locator, kIncomeStatementPath, kIncomeStatementRow, title);
        }
        if (const Node ozel = locator.find(kOzelPath)) {
            for (const Node performans : ozel.childElements("performans"))
                locator.remove(ozel, performans);
            if (usesBusinessSummary)
                clearBusinessSummary(locator);
        }
        enterpriseTitle = title;
    }
    return EnterpriseStep::Continue;
}

EnterpriseListing listEnterprises(std::string_view declarationContent) {
    // Read as a stream: a declaration of many enterprises lists quickly and in little memory.
    const auto scanned = platform::xml::scanFirstChildTexts(
        textconv::cleanXmlFile(declarationContent), kTicariKazanclarPath, "ticariKazanc");
    EnterpriseListing listing;
    listing.hasSection = scanned.found;
    for (const auto& title : scanned.texts) {
        if (!title)
            throw Error("a ticariKazanc record has no child element to take its title from");
        listing.titles.push_back(*title);
    }
    return listing;
}

}  // namespace kovrel::conversion
