#pragma once

#include <string>
#include <string_view>

// Text operations between the accounting program's single-byte files and the XML declaration.
// Text inside the program is UTF-8; info-file bytes are converted on the way in.
namespace kovrel::textconv {

// Maps the code page 857 Turkish letters of single-byte text to their letters (as UTF-8),
// turns byte 255 into a space and drops every other byte outside printable ASCII.
std::string mapTurkishChars(std::string_view singleByteText);

// Replaces & < > " ' by their predefined entities, each character once.
std::string escapeXml(std::string_view text);

// The content of a declaration file without its control characters: lines end at CR LF or a
// lone CR, bytes 0-8 and 10-31 (a lone LF included) are dropped, every line is written back
// followed by CR LF. Works on the bytes in memory; the file on disk is left alone.
std::string cleanXmlFile(std::string_view fileContent);

// Removes the space character (32) at both ends, nothing else.
std::string_view trimSpaces(std::string_view text);

// Single-byte text taken as ISO-8859-9, as UTF-8.
std::string decodeLatin5(std::string_view singleByteText);

// UTF-8 text as ISO-8859-9 bytes; a character ISO-8859-9 cannot hold becomes a character
// reference (&#N;), so that nothing typed is lost in a file declared ISO-8859-9.
std::string encodeLatin5(std::string_view utf8Text);

// Upper-cases ASCII letters only; the declaration types are ASCII.
std::string toUpperAscii(std::string_view text);

}  // namespace kovrel::textconv
