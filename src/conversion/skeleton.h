#pragma once

#include <string>

#include "infofile/declaration_header.h"

namespace kovrel::conversion {

// The text of a new, empty declaration for the header, as ISO-8859-9 bytes with tab indentation
// and CR LF after every line. surname, firstName and email arrive escaped; every other value is
// escaped here.
std::string writeDeclarationSkeleton(const infofile::DeclarationHeader& header);

}  // namespace kovrel::conversion
