#pragma once

#include <string>

#include "conversion/section_locator.h"
#include "infofile/info_file.h"

namespace kovrel::conversion {

// Writes one body record of an income tax declaration; throws ConversionError on failure.
void applyIncomeTaxRecord(SectionLocator& locator, const infofile::InfoRecord& record,
                          const std::string& enterpriseTitle, bool usesBusinessSummary);

// Empties the first business-account summary so that a run for the same enterprise rebuilds it.
void clearBusinessSummary(SectionLocator& locator);

}  // namespace kovrel::conversion
