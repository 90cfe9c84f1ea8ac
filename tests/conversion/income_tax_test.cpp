#include "conversion/income_tax.h"

#include <gtest/gtest.h>

#include "conversion/conversion_error.h"
#include "support/test_support.h"

namespace kovrel::conversion {
namespace {

using platform::xml::Document;

// What each record needs: its fields, and the section it writes to. The runs cover what a
// record that succeeds writes.
TEST(ApplyIncomeTaxRecord, FailuresAndTheirCauses) {
    const struct {
        const char* name;
        bool businessSummaryDocument;
        bool usesBusinessSummary;
        std::string title;
        infofile::InfoRecord record;
        std::string causePart;  // empty: the record must not fail
    } cases[] = {
        {"asset row with three fields", false, false, "T", {"1", "100", "5"}, "fields"},
        {"income statement row with one field", false, false, "T", {"3"}, "fields"},
        {"performance without sub-code", false, false, "T", {"4"}, "fields"},
        {"known sub-code without value", false, false, "T", {"4", "7"}, "fields"},
        {"summary pair without its field", true, true, "T", {"10"}, "fields"},
        {"summary code 50 needs only its code", true, true, "T", {"50"}, ""},
        {"income statement in a summary declaration",
         true,
         true,
         "T",
         {"3", "600", "1", "2"},
         "ayrintiliGelirTablosu"},
        {"summary pair without summary element", false, true, "", {"81", "1"}, "isletmeHesapOzeti"},
        {"summary title without summary element", false, true, "T", {"50"}, "isletmeHesapOzeti"},
        {"nothing to append needs no summary element", false, true, "", {"50"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc = test::skeletonDocument("GELIR", c.businessSummaryDocument);
        SectionLocator locator(doc);
        if (c.causePart.empty()) {
            EXPECT_NO_THROW(
                applyIncomeTaxRecord(locator, c.record, c.title, c.usesBusinessSummary));
            continue;
        }
        try {
            applyIncomeTaxRecord(locator, c.record, c.title, c.usesBusinessSummary);
            ADD_FAILURE() << "no failure";
        } catch (const ConversionError& e) {
            EXPECT_NE(std::string(e.what()).find(c.causePart), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace kovrel::conversion
