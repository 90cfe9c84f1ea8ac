#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/section_locator.h"
#include "platform/xml/document.h"

namespace kovrel::conversion {

inline constexpr std::string_view kTicariKazanclarPath =
    "//beyanname/ozel/kazancDetay/ticariKazancBildirimi/ticariKazanclar";

// What the entry fields of a new commercial earnings record hold (UTF-8, as typed).
struct NewEnterpriseFields {
    std::string title;
    std::string activity;
    std::string share;
    std::string profit;
    std::string loss;
    std::string withheldTax;
};

// The enterprise list entry a run was started with: index 0 a new record, 1 the empty entry,
// 2 and up an existing enterprise, -1 nothing selected.
struct EnterpriseChoice {
    int listIndex = -1;
    std::string listText;                 // the chosen title for index 2 and up
    std::vector<std::string> listTitles;  // the titles listed from entry 2 on
};

enum class EnterpriseStep { Continue, DuplicateTitle };

// Adds the new record or removes an existing enterprise's rows; sets enterpriseTitle.
EnterpriseStep prepareEnterprise(SectionLocator& locator, const EnterpriseChoice& choice,
                                 const NewEnterpriseFields& fields, bool addMode,
                                 bool usesBusinessSummary, std::string& enterpriseTitle);

// The titles an existing income tax declaration lists, read from its content.
struct EnterpriseListing {
    bool hasSection = false;          // the file has a ticariKazanclar element
    std::vector<std::string> titles;  // first child's text of each ticariKazanc
};

// Throws Error when a record has no child element to take its title from. A content that does
// not parse lists nothing.
EnterpriseListing listEnterprises(std::string_view declarationContent);

}  // namespace kovrel::conversion
