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
