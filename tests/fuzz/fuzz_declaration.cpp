// A declaration as a run takes it in: cleaned, loaded as a tree and with compact rows, changed and
// saved; what is saved loads again with the text that was set. (Its sections: fuzz_conversion_run.)
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/xml/document.h"
#include "support/test_support.h"
#include "textconv/text_conv.h"

namespace {

using namespace kovrel;
using platform::xml::Document;
using platform::xml::Node;

// Only CR LF line ends remain, and no other control character but the tab.
void checkCleaned(std::string_view cleaned) {
    for (std::size_t i = 0; i < cleaned.size(); ++i) {
        const auto byte = static_cast<unsigned char>(cleaned[i]);
        if (byte == '\r' || byte == '\n')
            FUZZ_CHECK(cleaned.substr(byte == '\n' && i > 0 ? i - 1 : i, 2) == "\r\n");
        else
            FUZZ_CHECK(byte == '\t' || byte >= 32);
    }
    FUZZ_CHECK(textconv::cleanXmlFile(cleaned) == cleaned);
}

// The table rows a run loads compact, and a short name that mutated inputs reach easily.
constexpr std::string_view kCompactRows[] = {"ABsatiri", "AGTsatiri", "tdhpAktifSatiri", "r"};

std::string savedOrEmpty(const Document& doc) {
    std::string saved;
    test::failureOf([&] { saved = doc.serialize(); });
    return saved;
}

// Both loads read the same through childTexts, element by element down to the compact rows.
void compareLoads(Node tree, Node compact) {
    FUZZ_CHECK(tree.name() == compact.name());
    for (const Node leaf : tree.childElements())
        FUZZ_CHECK(compact.childTexts(leaf.name()) == tree.childTexts(leaf.name()));
    if (tree.firstChildElement() && !compact.firstChildElement())
        return;
    const auto treeChildren = tree.childElements();
    const auto compactChildren = compact.childElements();
    FUZZ_CHECK(treeChildren.size() == compactChildren.size());
    for (std::size_t i = 0; i < treeChildren.size(); ++i)
        compareLoads(treeChildren[i], compactChildren[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string cleaned = textconv::cleanXmlFile(bytes);
    checkCleaned(cleaned);

    Document doc;
    try {
        doc = Document::parse(cleaned);
    } catch (const Error& e) {
        FUZZ_CHECK(*e.what() != '\0');
        return 0;
    }
    // Loaded with compact rows, the same bytes must save the same and read the same.
    const Document compact = Document::parse(cleaned, kCompactRows);
    FUZZ_CHECK(savedOrEmpty(compact) == savedOrEmpty(doc));
    FUZZ_CHECK(compact.root().text() == doc.root().text());
    compareLoads(doc.root(), compact.root());

    // A value as the footnote rows write it, taken from the input's own bytes.
    const std::string value = textconv::mapTurkishChars(bytes.substr(0, 64));
    doc.root().appendElement("deger").setText(value);

    const std::string saved = savedOrEmpty(doc);
    if (saved.empty())
        return 0;  // an encoding the library cannot write: the run fails and saves nothing
    const Document reloaded = Document::parse(textconv::cleanXmlFile(saved));
    FUZZ_CHECK(!reloaded.empty());
    const auto degers = reloaded.root().childElements("deger");
    FUZZ_CHECK(!degers.empty() && degers.back().text() == value);
    return 0;
}
