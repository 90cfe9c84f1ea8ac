#include "conversion/conversion_run.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <ctime>

#include "conversion/corporate_tax.h"
#include "conversion/enterprise.h"
#include "conversion/income_tax.h"
#include "conversion/section_locator.h"
#include "conversion/skeleton.h"
#include "conversion/target_path.h"
#include "conversion/versions.h"
#include "infofile/info_file.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/xml/document.h"
#include "textconv/text_conv.h"

namespace kovrel::conversion {
namespace {

using infofile::DeclarationHeader;
using infofile::InfoRecord;

// Records whose fields carry fixed-width columns keep their spaces.
bool keepsSpaces(const std::string& code) {
    static constexpr std::array<std::string_view, 5> kCodes{"10", "20", "50", "60", "81"};
    for (const auto c : kCodes) {
        if (code == c)
            return true;
    }
    return false;
}

void trimFields(InfoRecord& record) {
    for (auto& field : record)
        field = std::string(textconv::trimSpaces(field));
}

// Header values become folder and file names; one that could leave the taxpayer's folder or
// that no file name may hold is refused rather than written somewhere unexpected.
void checkPathPart(messages::PathPart part, const std::string& value) {
    const bool unusable = value == "." || value == ".." ||
                          value.find_first_of("\\/:*?\"<>|") != std::string::npos ||
                          std::any_of(value.begin(), value.end(),
                                      [](char c) { return static_cast<unsigned char>(c) < 32; });
    if (unusable)
        throw Error(messages::unusableInFileName(part, value));
}

void checkPathParts(const DeclarationHeader& header) {
    using messages::PathPart;
    checkPathPart(PathPart::TaxNumber, header.folderTaxNo);
    checkPathPart(PathPart::TaxOffice, header.taxOfficeCode);
    checkPathPart(PathPart::DeclarationType, header.declarationType);
    checkPathPart(PathPart::Period, header.periodText);
}

bool isDriveLetter(const std::string& text) {
    return text.size() == 1 && std::isalpha(static_cast<unsigned char>(text[0])) &&
           static_cast<unsigned char>(text[0]) < 128;
}

void ensureFolders(const std::string& root, const DeclarationHeader& header) {
    for (const auto& folder : folderSet(root, header)) {
        if (!platform::folderExists(folder))
            platform::createFolder(folder);
    }
}

void applyBody(SectionLocator& locator, const DeclarationHeader& header,
               const std::string& infoFilePath, const std::string& enterpriseTitle) {
    const auto in = platform::openForReading(infoFilePath);
    infofile::LineReader reader(*in);
    for (std::size_t i = 0; i < infofile::kHeaderLines; ++i) {
        if (!reader.next())
            throw Error(messages::infoFileTooShort(infoFilePath, i, infofile::kHeaderLines));
    }
    while (auto line = reader.next()) {
        InfoRecord record = infofile::splitFields(*line);
        // An empty line holds no record; it is passed over like one with an empty code.
        if (record.empty())
            continue;
        if (!keepsSpaces(record[0]))
            trimFields(record);
        if (record[0].empty())
            continue;
        try {
            if (header.isIncomeTax()) {
                applyIncomeTaxRecord(locator, record, enterpriseTitle,
                                     header.usesBusinessSummary());
            } else if (header.kind == infofile::DeclarationKind::CorporateTax) {
                applyCorporateTaxRecord(locator, record);
            }
        } catch (const std::exception& e) {
            throw Error(messages::atInfoLine(infoFilePath, reader.lineNumber(), e.what()));
        }
    }
    if (in->bad())
        throw Error(messages::infoFileNotReadToEnd(infoFilePath));
}

// An existing declaration may hold many table rows: they are loaded compact.
std::span<const std::string_view> rowsKeptCompact(const DeclarationHeader& header) {
    if (header.isIncomeTax())
        return incomeTaxRowNames();
    if (header.kind == infofile::DeclarationKind::CorporateTax)
        return corporateTaxRowNames();
    return {};
}

platform::xml::Document parseDeclaration(const std::string& path, std::string_view content,
                                         std::span<const std::string_view> compactRows) {
    try {
        return platform::xml::Document::parse(content, compactRows);
    } catch (const Error& e) {
        throw Error(messages::declarationUnreadable(path, e.what()));
    }
}

RunOutcome failed(RunOutcome outcome, std::string cause) {
    outcome.end = RunEnd::Failed;
    outcome.cause = std::move(cause);
    return outcome;
}

}  // namespace

RunOutcome ConversionRun(const DeclarationHeader& header, const std::string& infoFilePath,
                         const RunChoices& choices) {
    RunOutcome outcome;
    const std::string root = ebynRoot(choices.driveText);
    outcome.targetXmlPath = targetXmlPath(root, header);
    const std::string& path = outcome.targetXmlPath;
    const bool addMode = choices.mode == Mode::AddToExisting;

    try {
        if (!isDriveLetter(choices.driveText))
            throw Error(messages::noDriveChosen());
        checkPathParts(header);
        if (!choices.dryRun)
            ensureFolders(root, header);
    } catch (...) {
        return failed(std::move(outcome), messages::causeOf(std::current_exception()));
    }

    if (addMode && !platform::fileExists(path)) {
        outcome.end = RunEnd::AppendTargetMissing;
        return outcome;
    }

    try {
        // Nothing on disk changes before the final save: the skeleton and the cleaning are
        // done in memory.
        std::string content = textconv::cleanXmlFile(addMode ? platform::readWholeFile(path)
                                                             : writeDeclarationSkeleton(header));
        auto doc = parseDeclaration(path, content, rowsKeptCompact(header));
        content = std::string();

        SectionLocator locator(doc);
        PreparedEnterprise enterprise;
        if (header.isIncomeTax()) {
            enterprise = prepareEnterprise(locator, choices.enterprise, choices.fields,
                                           choices.mode, header.usesBusinessSummary());
            if (enterprise.duplicateTitle) {
                outcome.end = RunEnd::DuplicateTitle;
                return outcome;
            }
        } else if (header.kind == infofile::DeclarationKind::CorporateTax) {
            clearCorporateTaxSections(locator);
        }
        applyBody(locator, header, infoFilePath, enterprise.enterpriseTitle);

        if (choices.dryRun) {
            outcome.document = doc.serialize();
        } else {
            try {
                // The replaced bytes are kept, flushed, before the replace: a kill between the
                // two leaves the old declaration and one more version, never less.
                if (platform::fileExists(path))
                    keepVersion(path, std::time(nullptr));
                platform::replaceFileAtomically(
                    path, [&doc](const platform::ContentSink& sink) { doc.write(sink); });
            } catch (const FileError& e) {
                outcome.end = RunEnd::SaveFailed;
                outcome.cause = e.what();
                return outcome;
            }
            dropOldVersions(path);
        }
    } catch (...) {
        return failed(std::move(outcome), messages::causeOf(std::current_exception()));
    }
    outcome.end = RunEnd::Completed;
    return outcome;
}

}  // namespace kovrel::conversion
