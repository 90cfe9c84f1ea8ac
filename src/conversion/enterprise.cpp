#include "conversion/enterprise.h"

#include <algorithm>

#include "conversion/income_tax.h"
#include "platform/file_system.h"
#include "platform/messages.h"
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

// Whether a record of the file's list has title as its title (its first child's text), as the
// list a user chose from shows them.
bool isListed(SectionLocator& locator, const std::string& title) {
    const Node list = locator.find(kTicariKazanclarPath);
    if (!list)
        return false;
    for (const Node record : list.childElements("ticariKazanc")) {
        const Node first = record.firstChildElement();
        if (first && first.text() == title)
            return true;
    }
    return false;
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

PreparedEnterprise prepareEnterprise(SectionLocator& locator, const EnterpriseChoice& choice,
                                     const NewEnterpriseFields& fields, Mode mode,
                                     bool usesBusinessSummary) {
    PreparedEnterprise prepared;
    if (choice.kind == EnterpriseChoice::Kind::NewRecord) {
        if (mode == Mode::AddToExisting && isListed(locator, fields.title)) {
            prepared.duplicateTitle = true;
            return prepared;
        }
        addNewRecord(locator, fields, usesBusinessSummary);
        prepared.enterpriseTitle = fields.title;
    } else if (choice.kind == EnterpriseChoice::Kind::Existing) {
        const std::string& title = choice.title;
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
        prepared.enterpriseTitle = title;
    }
    return prepared;
}

EnterpriseListing listEnterprises(std::string_view declarationContent) {
    // Read as a stream: a declaration of many enterprises lists quickly and in little memory.
    const auto scanned = platform::xml::scanFirstChildTexts(
        textconv::cleanXmlFile(declarationContent), kTicariKazanclarPath, "ticariKazanc");
    EnterpriseListing listing;
    listing.hasSection = scanned.found;
    for (const auto& title : scanned.texts) {
        if (!title)
            throw Error(messages::recordWithoutTitle());
        listing.titles.push_back(*title);
    }
    return listing;
}

EnterpriseListing listEnterprisesIn(const std::string& path) {
    const std::string content = platform::readWholeFile(path);
    try {
        return listEnterprises(content);
    } catch (const ParseError& e) {
        throw ParseError(messages::declarationUnreadable(path, e.what()));
    }
}

}  // namespace kovrel::conversion
