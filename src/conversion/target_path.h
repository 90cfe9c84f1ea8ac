#pragma once

#include <string>
#include <vector>

#include "infofile/declaration_header.h"

namespace kovrel::conversion {

// The drive root for a drive box text: "D" gives "D:\".
std::string ebynRoot(const std::string& driveText);

// <root>ebyn\beyannameler\<folderTaxNo>\<office>_<folderTaxNo>_<TYPE>_10_<period>.xml
std::string targetXmlPath(const std::string& root, const infofile::DeclarationHeader& header);

// The folders a run makes sure of, parent first.
std::vector<std::string> folderSet(const std::string& root,
                                   const infofile::DeclarationHeader& header);

// Letters of the drives that hold an ebyn folder, removable drives skipped, in letter order.
std::vector<char> ebynDrives();

}  // namespace kovrel::conversion
