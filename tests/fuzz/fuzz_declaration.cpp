// A declaration file as a run takes it in: cleaned, loaded, searched, changed and saved; what is
// saved must load again and give back the text that was set.
#include <cstdint>
#include <string>
#include <string_view>

#include "conversion/enterprise.h"
#include "fuzz_check.h"
#include "platform/xml_document.h"
#include "textconv/text_conv.h"

namespace {

using namespace kovrel;
using platform::xml::Document;
using platform::xml::Node;
using platform::xml::XmlError;

constexpr std::string_view kPaths[] = {
    "//beyanname/ozel",
    "//beyanname/ozel/ekler/ayrintiliBilancoGelirTablosu/ayrintiliBilanco",
    "//beyanname/ozel/kazancDetay/ticariKazancBildirimi/ticariKazanclar",
    "//beyanname/ozel/ekler/tdhpAktif",
    "//beyanname/ozel/maliBilgiler",
};

// Only CR LF line ends remain, and no other control character but the tab.
void checkCleaned(std::string_view cleaned) {
    for (std::size_t i = 0; i < cleaned.size(); ++i) {
        const auto byte = static_cast<unsigned char>(cleaned[i]);
        if (byte == '\r') {
            FUZZ_CHECK(i + 1 < cleaned.size() && cleaned[i + 1] == '\n');
            ++i;
            continue;
        }
        FUZZ_CHECK(byte == '\t' || byte >= 32);
    }
    FUZZ_CHECK(textconv::cleanXmlFile(cleaned) == cleaned);
}

// The table rows a run loads compact, and a short name that mutated inputs reach easily.
constexpr std::string_view kCompactRows[] = {"ABsatiri", "AGTsatiri", "tdhpAktifSatiri", "r"};

std::string savedOrEmpty(const Document& doc) {
    try {
        return doc.serialize();
    } catch (const XmlError&) {
        return {};
    }
}

// Walks the two loads side by side: each element must read the same through childTexts down to
// the rows that were made compact.
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

// Loaded with compact rows, the same bytes must save the same and read the same.
void checkCompactLoad(std::string_view cleaned, const Document& tree) {
    const Document compact = Document::parse(cleaned, nullptr, kCompactRows);
    FUZZ_CHECK(!compact.empty());
    FUZZ_CHECK(savedOrEmpty(compact) == savedOrEmpty(tree));
    FUZZ_CHECK(compact.root().text() == tree.root().text());
    compareLoads(tree.root(), compact.root());
}

Node lastChildNamed(Node parent, std::string_view name) {
    const auto children = parent.childElements(name);
    return children.empty() ? Node() : children.back();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string cleaned = textconv::cleanXmlFile(bytes);
    checkCleaned(cleaned);

    std::string parseError;
    Document doc = Document::parse(cleaned, &parseError);
    if (doc.empty()) {
        FUZZ_CHECK(!parseError.empty());
        return 0;
    }
    checkCompactLoad(cleaned, doc);
    std::string listError;
    (void)conversion::listEnterprises(cleaned, listError);
    for (const auto path : kPaths)
        (void)doc.selectSingleNode(path);

    // A value as the footnote rows write it, taken from the input's own bytes.
    const std::string value = textconv::mapTurkishChars(bytes.substr(0, 64));
    doc.root().appendElement("deger").setText(value);

    std::string saved;
    try {
        saved = doc.serialize();
    } catch (const XmlError&) {
        return 0;  // an encoding the library cannot write: the run fails and saves nothing
    }
    std::string reloadError;
    const Document reloaded = Document::parse(textconv::cleanXmlFile(saved), &reloadError);
    if (reloaded.empty()) {
        std::fprintf(stderr, "saved file does not load: %s\n", reloadError.c_str());
        FUZZ_CHECK(!reloaded.empty());
    }
    const Node deger = lastChildNamed(reloaded.root(), "deger");
    FUZZ_CHECK(deger);
    FUZZ_CHECK(deger.text() == value);
    return 0;
}
