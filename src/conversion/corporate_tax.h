#pragma once

#include "conversion/section_locator.h"
#include "infofile/info_file.h"

namespace kovrel::conversion {

// Empties the six account and footnote tables and replaces maliBilgiler by a new empty one.
void clearCorporateTaxSections(SectionLocator& locator);

// Writes one body record of a corporate tax declaration; throws ConversionError on failure.
void applyCorporateTaxRecord(SectionLocator& locator, const infofile::InfoRecord& record);

}  // namespace kovrel::conversion
