#pragma once

#include <span>
#include <string>
#include <string_view>

#include "conversion/section_locator.h"
#include "infofile/info_file.h"

namespace kovrel::conversion {

// Writes one body record of an income tax declaration; throws Error on failure.
void applyIncomeTaxRecord(SectionLocator& locator, const infofile::InfoRecord& record,
                          const std::string& enterpriseTitle, bool usesBusinessSummary);

inline constexpr std::string_view kBalanceSheetPath =
    "//beyanname/ozel/ekler/ayrintiliBilancoGelirTablosu/ayrintiliBilanco";
inline constexpr std::string_view kIncomeStatementPath =
    "//beyanname/ozel/ekler/ayrintiliBilancoGelirTablosu/ayrintiliGelirTablosu";
inline constexpr std::string_view kBalanceSheetRow = "ABsatiri";
inline constexpr std::string_view kIncomeStatementRow = "AGTsatiri";

// The rows of the statement tables. A run only appends them, removes them whole or matches them
// by their unvani, so a declaration may hold them compact (see Document::parse).
std::span<const std::string_view> incomeTaxRowNames();

// Empties the first business-account summary so that a run for the same enterprise rebuilds it.
void clearBusinessSummary(SectionLocator& locator);

}  // namespace kovrel::conversion
