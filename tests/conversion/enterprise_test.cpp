#include "conversion/enterprise.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kovrel::conversion
