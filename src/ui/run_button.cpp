#include "conversion/conversion_run.h"
#include "conversion/messages.h"
#include "ui/form_main.h"

namespace kovrel::ui {

namespace messages = conversion::messages;

void FormMain::cmdContinue_Click() {
    conversion::RunChoices choices;
    choices.driveText = cboDrive->GetStringSelection().utf8_string();
    choices.mode =
        optFO[1]->GetValue() ? conversion::Mode::CreateNew : conversion::Mode::AddToExisting;
    choices.enterprise.listIndex = cboORT->GetSelection();
    if (choices.enterprise.listIndex >= 0)
        choices.enterprise.listText = cboORT->GetString(choices.enterprise.listIndex).utf8_string();
    for (unsigned int i = 2; i < cboORT->GetCount(); ++i)
        choices.enterprise.listTitles.push_back(cboORT->GetString(i).utf8_string());
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
        case conversion::RunEnd::NothingChosen:
            break;
        case conversion::RunEnd::Failed:
            fail(messages::kRunFailed, outcome.cause, messages::kTitle);
            break;
    }
}

}  // namespace kovrel::ui
