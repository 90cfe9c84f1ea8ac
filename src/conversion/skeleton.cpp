#include "conversion/skeleton.h"

#include "textconv/text_conv.h"

namespace kovrel::conversion {
namespace {

class SkeletonWriter {
  public:
    void line(int tabs, std::string_view text) {
        out_.append(static_cast<std::size_t>(tabs), '\t');
        out_ += text;
        out_ += "\r\n";
    }
    // A value line; rawValue is inserted as it stands (already escaped).
    void element(int tabs, std::string_view name, std::string_view rawValue) {
        std::string text;
        text.append("<").append(name).append(">").append(rawValue);
        text.append("</").append(name).append(">");
        line(tabs, text);
    }
    std::string text() && { return std::move(out_); }

  private:
    std::string out_;
};

void writeIdentity(SkeletonWriter& w, const infofile::DeclarationHeader& h) {
    using textconv::escapeXml;
    w.element(3, "vergiNo", escapeXml(h.taxNo));
    w.element(3, "soyadi", h.surname);
    w.element(3, "adi", h.firstName);
    w.element(3, "tcKimlikNo", escapeXml(h.identityNo));
    w.element(3, "ticSicilNo", escapeXml(h.tradeRegistryNo));
    w.element(3, "eposta", h.email);
    w.element(3, "alanKodu", escapeXml(h.areaCode));
    w.element(3, "telNo", escapeXml(h.phoneNo));
}

}  // namespace

std::string writeDeclarationSkeleton(const infofile::DeclarationHeader& h) {
    using textconv::escapeXml;
    const bool income = h.isIncomeTax();
    const bool corporate = h.kind == infofile::DeclarationKind::CorporateTax;
    const std::string escapedType = escapeXml(h.type());

    SkeletonWriter w;
    w.line(0, R"(<?xml version="1.0" encoding="ISO-8859-9"?>)");
    w.line(0, "<beyanname kodVer=\"" + escapedType + "_10\" paraBirimi=\"YTL\"" +
                  " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"" +
                  " xsi:noNamespaceSchemaLocation=\"" + escapedType + "_10.xsd\">");
    w.line(1, "<genel>");
    w.line(2, "<idari>");
    w.element(3, "vdKodu", escapeXml(h.taxOfficeCode));
    w.line(3, "<donem>");
    w.line(4, "<tip>yillik</tip>");
    w.element(4, "yil", escapeXml(h.year));
    w.line(3, "</donem>");
    w.line(2, "</idari>");
    w.line(2, "<mukellef>");
    writeIdentity(w, h);
    w.line(2, "</mukellef>");
    w.line(2, R"(<hsv sifat="kendisi">)");
    writeIdentity(w, h);
    w.line(2, "</hsv>");
    if (!h.preparerTaxNo.empty()) {
        w.line(2, "<duzenleyen>");
        w.element(3, "vergiNo", escapeXml(h.preparerTaxNo));
        w.line(2, "</duzenleyen>");
    }
    w.line(1, "</genel>");
    w.line(1, "<ozel>");
    if (income) {
        w.line(2, "<kazancDetay>");
        w.line(3, "<ticariKazancBildirimi>");
        w.line(4, "<ticariKazanclar>");
        w.line(4, "</ticariKazanclar>");
        w.line(3, "</ticariKazancBildirimi>");
        w.line(2, "</kazancDetay>");
    }
    if (corporate) {
        w.line(2, "<kazancinTespitYontemi>1</kazancinTespitYontemi>");
        w.line(2, "<bilancoTip>703</bilancoTip>");
        w.line(2, "<maliBilgiler>");
        w.line(2, "</maliBilgiler>");
    }
    w.line(2, "<ekler>");
    if (corporate) {
        for (const char* table :
             {"tdhpAktif", "tdhpAktifDipnot", "tdhpPasif", "tdhpPasifDipnot", "tdhpGelirTablosu",
              "tdhpGelirTablosuDipnot", "kurumOrtaklariYKuruluUyeleri"}) {
            w.line(3, std::string("<") + table + ">");
            w.line(3, std::string("</") + table + ">");
        }
    } else if (h.usesBusinessSummary()) {
        w.line(3, "<isletmeHesapOzetleri>");
        w.line(4, "<isletmeHesapOzeti>");
        w.line(4, "</isletmeHesapOzeti>");
        w.line(3, "</isletmeHesapOzetleri>");
    } else if (income) {
        w.line(3, "<ayrintiliBilancoGelirTablosu>");
        w.line(4, "<ayrintiliBilanco>");
        w.line(4, "</ayrintiliBilanco>");
        w.line(4, "<ayrintiliGelirTablosu>");
        w.line(4, "</ayrintiliGelirTablosu>");
        w.line(3, "</ayrintiliBilancoGelirTablosu>");
    }
    w.line(2, "</ekler>");
    if (income) {
        w.line(2, "<performans>");
        w.line(2, "</performans>");
    }
    w.line(1, "</ozel>");
    w.line(0, "</beyanname>");
    // The header's values are UTF-8 here; the file declares ISO-8859-9.
    return textconv::encodeLatin5(std::move(w).text());
}

}  // namespace kovrel::conversion
