#pragma once

#include <string>
#include <string_view>

#include "conversion/run_choices.h"
#include "conversion/section_locator.h"
#include "platform/xml/document.h"

namespace kovrel::conversion {

inline constexpr std::string_view kTicariKazanclarPath =
    "//beyanname/ozel/kazancDetay/ticariKazancBildirimi/ticariKazanclar";

// The enterprise step of a run: the title its rows carry, or a stop for a title already listed.
struct PreparedEnterprise {
    bool duplicateTitle = false;  // a new record's title is in the file already; nothing done
    std::string enterpriseTitle;
};

// Adds the new record or removes an existing enterprise's rows. In add mode a new record's
// title must not be one the file lists already.
PreparedEnterprise prepareEnterprise(SectionLocator& locator, const EnterpriseChoice& choice,
                                     const NewEnterpriseFields& fields, Mode mode,
                                     bool usesBusinessSummary);

// The enterprises the declaration at path lists. Throws FileError when the file cannot be read,
// ParseError (naming the file) when it is not well-formed up to the end of its list, and Error
// for a record without a title.
EnterpriseListing listEnterprisesIn(const std::string& path);

// The enterprises a declaration lists, read from its content as a stream. Throws Error when a
// record has no child element to take its title from, and ParseError when the content is not
// well-formed up to the end of its list.
EnterpriseListing listEnterprises(std::string_view declarationContent);

}  // namespace kovrel::conversion
