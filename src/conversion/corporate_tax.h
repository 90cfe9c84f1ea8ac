#pragma once

#include <span>
#include <string_view>

#include "conversion/section_locator.h"
#include "infofile/info_file.h"

namespace kovrel::conversion {

// The rows of the six tables. A run only removes them whole, so a declaration may hold them
// compact (see Document::parse).
std::span<const std::string_view> corporateTaxRowNames();

// Empties the six account and footnote tables and replaces maliBilgiler by a new empty one.
void clearCorporateTaxSections(SectionLocator& locator);

// Writes one body record of a corporate tax declaration; throws Error on failure.
void applyCorporateTaxRecord(SectionLocator& locator, const infofile::InfoRecord& record);

}  // namespace kovrel::conversion
