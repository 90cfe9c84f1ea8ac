#pragma once

#include <string>

#include "conversion/run_choices.h"
#include "infofile/declaration_header.h"

namespace kovrel::conversion {

enum class RunEnd {
    Completed,            // saved (or, for a dry run, built)
    AppendTargetMissing,  // add mode and no declaration file
    DuplicateTitle,       // the new title is already listed; nothing saved
    SaveFailed,           // only the final save failed (file held open, read-only, disk
                          // full): nothing written, the user may fix it and run again
    Failed,               // the run's error path; nothing saved
};

struct RunOutcome {
    RunEnd end = RunEnd::Failed;
    std::string cause;          // for Failed and SaveFailed: what went wrong, where
    std::string targetXmlPath;  // as the formula builds it
    std::string document;       // for a dry run: the bytes that would have been saved
};

// One press of the start button: from beyan.txt to the saved declaration.
RunOutcome ConversionRun(const infofile::DeclarationHeader& header, const std::string& infoFilePath,
                         const RunChoices& choices);

}  // namespace kovrel::conversion
