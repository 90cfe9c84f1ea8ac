#include "conversion/target_path.h"

#include "platform/file_system.h"

namespace kovrel::conversion {

std::string ebynRoot(const std::string& driveText) {
    return driveText + ":\\";
}

std::string targetXmlPath(const std::string& root, const infofile::DeclarationHeader& header) {
    return root + "ebyn\\beyannameler\\" + header.folderTaxNo + "\\" + header.taxOfficeCode + "_" +
           header.folderTaxNo + "_" + header.type() + "_10_" + header.periodText + ".xml";
}

std::vector<std::string> folderSet(const std::string& root,
                                   const infofile::DeclarationHeader& header) {
    return {root + "ebyn", root + "ebyn\\beyannameler",
            root + "ebyn\\beyannameler\\" + header.folderTaxNo};
}

std::vector<char> ebynDrives() {
    std::vector<char> letters;
    for (const auto& drive : platform::listDrives()) {
        if (drive.kind == platform::DriveKind::Removable)
            continue;
        if (platform::folderExists(std::string(1, drive.letter) + ":\\ebyn"))
            letters.push_back(drive.letter);
    }
    return letters;
}

}  // namespace kovrel::conversion
