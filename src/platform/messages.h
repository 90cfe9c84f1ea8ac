#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

// The core's message catalogue: every text of the core that a user reads, each sentence written
// once. It sits at the bottom of the core so that the file system and the XML layer word their
// causes here too; the window and the converter keep their own texts.
namespace kovrel::messages {

// Headlines and titles: the program's own texts, shown as they stand.
inline constexpr const char* kTitle = "KOVREL";
inline constexpr const char* kWarningTitle = "Uyarı";
inline constexpr const char* kInfoFileMissing = "bilgi dosyası bulunamadı.";
inline constexpr const char* kInfoFileUnreadable = "bilgi dosyası okunamadı.";
inline constexpr const char* kXmlReadFailed = "XML dosya okunurken hata oluştu.";
inline constexpr const char* kAppendTargetMissing = "Ekleme yapılacak dosya bulunamadı!";
inline constexpr const char* kRunFailed = "XML dosyası oluşturulurken hata oluştu!";
inline constexpr const char* kDuplicateTitle =
    "Yazmış olduğunuz ünvan XML dosya içerisinde daha önceden tanımlanmış lütfen ünvanı "
    "değiştirip tekrar deneyin.";
inline constexpr const char* kNewRecordEntry = "Yeni Kayıt";

// Every headline a user can meet, for the guide that explains them.
inline constexpr std::array kHeadlines = {kInfoFileMissing, kInfoFileUnreadable,
                                          kXmlReadFailed,   kAppendTargetMissing,
                                          kRunFailed,       kDuplicateTitle};

// The cause to show for whatever a front end caught: an Error's own text, or a sentence for a
// failure the core did not foresee (no memory left, say) instead of the library's English.
std::string causeOf(std::exception_ptr failure);

// "28,9 MB": a size as a user reads it, with the Turkish decimal comma.
std::string sizeText(std::uint64_t bytes);

// --- Files ---------------------------------------------------------------------------------

enum class FileOperation { Open, Read, CreateFolder, Write };

// "“D:\a.xml” açılamadı: böyle bir dosya ya da klasör yok." systemText is used only for
// FileProblem::Other.
std::string fileFailure(FileOperation operation, std::string_view path, FileProblem problem,
                        std::string_view systemText = {});
// A save that ran out of room, with how much it needed and how much there was.
std::string diskFull(std::string_view path, std::uint64_t neededBytes, std::uint64_t freeBytes);
// The path given for the info file names no file.
std::string infoFileNotFound(std::string_view path);

// --- The declaration file ------------------------------------------------------------------

enum class ParseProblem {
    EndsEarly,     // cut off before its elements are closed
    TagMismatch,   // an end tag that does not close the element that is open
    BadCharacter,  // a character or reference XML does not allow
    NotXml,        // no XML at all
    Encoding,      // an encoding the library does not support, or bytes that do not fit it
    DocumentType,  // a document type declaration, refused on principle
    Namespace,     // a namespace name that could not be saved back
    TooLarge,      // a value beyond what the parser takes
    TooDeep,       // elements nested beyond what the parser takes
    Other,
};
// What is wrong with the file, at its line (0 when the line is not known).
std::string parseFailure(ParseProblem problem, int line);
// The declaration at path could not be read; cause says why.
std::string declarationUnreadable(std::string_view path, std::string_view cause);
std::string declarationLacks(std::string_view elementPath);
std::string recordWithoutTitle();
std::string valueTooLong(std::size_t bytes, std::size_t limit);
std::string cannotEncode(std::string_view encoding);

// --- The info file -------------------------------------------------------------------------

enum class InfoEncoding { Utf8, Utf8WithMark, Utf16, Binary };
// The info file at path is not the code page 857 text the accounting program writes.
std::string infoFileEncoding(std::string_view path, InfoEncoding encoding);
std::string infoFileEmpty(std::string_view path);
std::string infoFileTooShort(std::string_view path, std::size_t lines, std::size_t needed);
std::string headerLineTooShort(std::string_view path, std::size_t line, std::size_t fields,
                               std::size_t needed);
std::string infoFileNotReadToEnd(std::string_view path);
// A record of the info file's body, and what is wrong with it.
std::string atInfoLine(std::string_view path, std::size_t line, std::string_view cause);
std::string recordTooShort(std::string_view code, std::size_t fields, std::size_t needed);

// --- The run -------------------------------------------------------------------------------

enum class PathPart { TaxNumber, TaxOffice, DeclarationType, Period };
std::string unusableInFileName(PathPart part, std::string_view value);
std::string noDriveChosen();

}  // namespace kovrel::messages
