#pragma once

#include <cstddef>
#include <string>

namespace kovrel::infofile {

// What a declaration is, decided once from the type the info file gives: income tax (GELIR),
// income tax whose business keeps the business-account summary (GELIR-OZET), corporate tax
// (KURUMLAR) or a type the program writes no sections for.
enum class DeclarationKind { IncomeTax, BusinessSummary, CorporateTax, Other };

// The header values of beyan.txt, as UTF-8. surname, firstName and email are escaped for
// direct insertion into the skeleton; the others are plain.
struct DeclarationHeader {
    std::string taxOfficeCode;
    std::string periodText;
    std::string year;
    std::string declarationType;  // as written, except GELIR-OZET which becomes GELIR
    DeclarationKind kind = DeclarationKind::Other;
    std::string taxNo;
    std::string folderTaxNo;
    std::string surname;
    std::string firstName;
    std::string identityNo;
    std::string tradeRegistryNo;
    std::string email;
    std::string areaCode;
    std::string phoneNo;
    std::string preparerTaxNo;

    // declarationType upper-cased, as file names and the skeleton write it.
    std::string type() const;
    bool isIncomeTax() const {
        return kind == DeclarationKind::IncomeTax || kind == DeclarationKind::BusinessSummary;
    }
    bool usesBusinessSummary() const { return kind == DeclarationKind::BusinessSummary; }
};

struct HeaderRead {
    DeclarationHeader header;
    std::string title;     // line 10, initial text of the title field
    std::string activity;  // line 11, initial text of the activity field
};

inline constexpr std::size_t kHeaderLines = 12;

// Reads the first 12 lines of the info file and nothing more. Throws Error when the file cannot
// be read or the header is too short for the values it must give.
HeaderRead readDeclarationHeader(const std::string& infoFilePath);

}  // namespace kovrel::infofile
