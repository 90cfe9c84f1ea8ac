#include "conversion/conversion_run.h"
#include "platform/messages.h"
#include "ui/form_main.h"

namespace kovrel::ui {

void FormMain::cmdContinue_Click() {
    // The empty entry stands for no choice at all: the button does nothing while it is chosen.
    const auto enterprise = chosenEnterprise();
    if (!enterprise)
        return;
    conversion::RunChoices choices;
    choices.driveText = cboDrive->GetStringSelection().utf8_string();
    choices.mode =
        optFO[1]->GetValue() ? conversion::Mode::CreateNew : conversion::Mode::AddToExisting;
    choices.enterprise = *enterprise;
    choices.fields = {txtUnvan->GetValue().utf8_string(),    txtFaaliyetK->GetValue().utf8_string(),
                      txtPayOrani->GetValue().utf8_string(), txtKar->GetValue().utf8_string(),
                      txtZarar->GetValue().utf8_string(),    txtKGV->GetValue().utf8_string()};

    const auto outcome = conversion::ConversionRun(header_, infoFilePath_, choices);
    switch (outcome.end) {
        case conversion::RunEnd::Completed:
            endProgram();
            break;
        case conversion::RunEnd::AppendTargetMissing:
            fail(messages::kAppendTargetMissing, outcome.cause, messages::kTitle);
            break;
        case conversion::RunEnd::DuplicateTitle:
            dialogs_.showMessage(
                {messages::kDuplicateTitle, {}, messages::kTitle, MessageIcon::Information});
            moveFocus(txtUnvan);
            break;
        case conversion::RunEnd::SaveFailed:
            // Nothing was written: once the user has closed the program that holds the file, or
            // made room, the button can be pressed again.
            dialogs_.showMessage(
                {messages::kRunFailed, outcome.cause, messages::kTitle, MessageIcon::Warning});
            break;
        case conversion::RunEnd::Failed:
            fail(messages::kRunFailed, outcome.cause, messages::kTitle);
            break;
    }
}

}  // namespace kovrel::ui
