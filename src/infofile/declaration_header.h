#pragma once

#include <string>

namespace kovrel::infofile {

// The header values of beyan.txt, as UTF-8. surname, firstName and email are escaped for
// direct insertion into the skeleton; the others are plain.
struct DeclarationHeader {
    std::string taxOfficeCode;
    std::string periodText;
    std::string year;
    std::string declarationType;  // as written, except GELIR-OZET which becomes GELIR
    bool usesBusinessSummary = false;
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

    // declarationType upper-cased, the form every comparison uses.
    std::string type() const;
};

struct HeaderRead {
    DeclarationHeader header;
    std::string title;     // line 10, initial text of the title field
    std::string activity;  // line 11, initial text of the activity field
};

inline constexpr int kHeaderLines = 12;

// Reads the first 12 lines of the info file and nothing more. Throws Error when the file cannot
// be read or the header is too short for the values it must give.
HeaderRead readDeclarationHeader(const std::string& infoFilePath);

}  // namespace kovrel::infofile
