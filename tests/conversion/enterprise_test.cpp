#include "conversion/enterprise.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kovrel::conversion {
namespace {

// The list is read as a stream; each title must be the text that a run compares with unvani
// (a title typed with spaces around it keeps them): the first child's text, entities decoded,
// spaces kept, white space alone between elements dropped, CR LF read as LF.
TEST(ListEnterprises, StreamFindsWhatTheDocumentHolds) {
    const auto listing = listEnterprises(
        "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar>"
        "<ticariKazanc><unvani>A &amp; B</unvani></ticariKazanc>"
        "<ticariKazanc><verilenEk>802</verilenEk><unvani>X</unvani></ticariKazanc>"
        "<ticariKazanc><unvani>  </unvani></ticariKazanc>"
        "<ticariKazanc><unvani>\r\n  <x>In</x>ner\r\n</unvani></ticariKazanc>"
        "</ticariKazanclar></ticariKazancBildirimi></kazancDetay></ozel></beyanname>");
    EXPECT_TRUE(listing.hasSection);
    EXPECT_EQ(listing.titles, (std::vector<std::string>{"A & B", "802", "  ", "Inner\n"}));
}

// Where the window's list starts and what the converter does without --new or --enterprise.
TEST(DefaultEnterprise, NewRecordFirstTitleNoneOrTheUserChooses) {
    const EnterpriseListing two{true, {"A", "B"}}, empty{true, {}}, noSection{false, {}};
    const EnterpriseChoice none{};
    const std::tuple<Mode, const EnterpriseListing*, std::optional<EnterpriseChoice>> cases[] = {
        {Mode::CreateNew, &two, EnterpriseChoice::newRecord()},
        {Mode::AddToExisting, nullptr, EnterpriseChoice::newRecord()},
        {Mode::AddToExisting, &two, EnterpriseChoice::existing("A")},
        {Mode::AddToExisting, &noSection, none},
        {Mode::AddToExisting, &empty, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(defaultEnterprise(std::get<0>(c), std::get<1>(c)), std::get<2>(c)) << &c - cases;
}

}  // namespace
}  // namespace kovrel::conversion
