#include "conversion/enterprise.h"
#include "conversion/target_path.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "ui/form_main.h"
#include "ui/window_texts.h"

namespace kovrel::ui {

namespace {

constexpr int kNewRecordIndex = 0;
constexpr int kEmptyEntryIndex = 1;
constexpr int kFirstTitleIndex = 2;

}  // namespace

// The list's entries: "Yeni Kayıt", an empty entry, then the titles of the file.
int FormMain::listIndexOf(const conversion::EnterpriseChoice& choice) const {
    switch (choice.kind) {
        case conversion::EnterpriseChoice::Kind::NewRecord:
            return kNewRecordIndex;
        case conversion::EnterpriseChoice::Kind::Existing:
            for (unsigned int i = kFirstTitleIndex; i < cboORT->GetCount(); ++i) {
                if (cboORT->GetString(i).utf8_string() == choice.title)
                    return static_cast<int>(i);
            }
            return wxNOT_FOUND;
        case conversion::EnterpriseChoice::Kind::None:
            break;
    }
    return wxNOT_FOUND;
}

std::optional<conversion::EnterpriseChoice> FormMain::chosenEnterprise() const {
    const int index = cboORT->GetSelection();
    if (index == kNewRecordIndex)
        return conversion::EnterpriseChoice::newRecord();
    if (index == kEmptyEntryIndex)
        return std::nullopt;
    if (index >= kFirstTitleIndex)
        return conversion::EnterpriseChoice::existing(
            cboORT->GetString(static_cast<unsigned int>(index)).utf8_string());
    return conversion::EnterpriseChoice{};
}

void FormMain::refreshTargetFile() {
    const std::string root = conversion::ebynRoot(cboDrive->GetStringSelection().utf8_string());
    const std::string path = conversion::targetXmlPath(root, header_);
    // The path is shown whatever happens below, so that a failure names the file it concerns.
    lblXMLF->SetLabel(wxString::FromUTF8(path));

    if (header_.isIncomeTax()) {
        cboORT->Clear();
        const auto listing = platform::fileExists(path) ? listEnterprises(path) : std::nullopt;
        if (listing) {
            offerEnterprises(*listing);
        } else {
            cboORT->Append(wxString::FromUTF8(messages::kNewRecordEntry));
            selectEnterprise(
                listIndexOf(*conversion::defaultEnterprise(conversion::Mode::CreateNew, nullptr)));
            optFO[0]->Disable();
            selectOption(1);
            focusTitlePending_ = true;
        }
        showFrame(fraCBO, true);
        showFrame(fraINFO, false);
    } else if (header_.kind == infofile::DeclarationKind::CorporateTax) {
        if (!platform::fileExists(path)) {
            optFO[0]->Disable();
            selectOption(1);
        } else {
            optFO[0]->Enable();
            selectOption(0);
        }
        showFrame(fraCBO, false);
        showFrame(fraNew, false);
        setWindowHeight(kHeightCorporateTax);
        setTop(cmdContinue, 1800);
        setTop(fraINFO, 1710);
        showFrame(fraINFO, true);
    }
}

// A file that does not parse is said so and offered to be created anew, as if it were not
// there; a file that cannot be read at all leaves nothing a run could start from.
std::optional<conversion::EnterpriseListing> FormMain::listEnterprises(const std::string& path) {
    try {
        return conversion::listEnterprisesIn(path);
    } catch (const ParseError& e) {
        dialogs_.showMessage({messages::kXmlReadFailed,
                              std::string(e.what()) + "\n\n" + texts::kCreatedAnew,
                              messages::kTitle, MessageIcon::Information});
        return std::nullopt;
    } catch (...) {
        cmdContinue->Disable();
        showFrame(fraNew, false);
        setWindowHeight(kHeightAfterStartUp);
        throw;
    }
}

void FormMain::offerEnterprises(const conversion::EnterpriseListing& listing) {
    if (!listing.hasSection)
        return;
    cboORT->Append(wxString::FromUTF8(messages::kNewRecordEntry));
    cboORT->Append(wxString());
    for (const auto& title : listing.titles)
        cboORT->Append(wxString::FromUTF8(title));
    if (const auto choice =
            conversion::defaultEnterprise(conversion::Mode::AddToExisting, &listing)) {
        selectEnterprise(listIndexOf(*choice));
    } else {
        cmdContinue->Disable();
    }
    optFO[0]->Enable();
    selectOption(0);
}

void FormMain::cboDrive_Click() {
    try {
        refreshTargetFile();
    } catch (...) {
        // After start-up the window stays usable: the message, an empty list, no run.
        dialogs_.showMessage({messages::kXmlReadFailed, messages::causeOf(std::current_exception()),
                              messages::kTitle, MessageIcon::Critical});
    }
}

void FormMain::cboORT_Click() {
    cmdContinue->Enable();
    switch (cboORT->GetSelection()) {
        case kNewRecordIndex:
            showFrame(fraNew, true);
            if (header_.usesBusinessSummary())
                txtVerilenEk->SetValue(wxString::FromUTF8(texts::kBusinessSummary));
            setWindowHeight(kHeightNewEnterprise);
            moveFocus(txtUnvan);
            break;
        case kEmptyEntryIndex:
            cmdContinue->Disable();
            break;
        default:
            showFrame(fraNew, false);
            setWindowHeight(kHeightAfterStartUp);
            break;
    }
}

void FormMain::optFO_Click(int index) {
    if (!header_.isIncomeTax())
        return;
    if (index == 0) {
        cboORT->Enable();
    } else {
        selectEnterprise(
            listIndexOf(*conversion::defaultEnterprise(conversion::Mode::CreateNew, nullptr)));
        cboORT->Disable();
        moveFocus(txtUnvan);
    }
}

void FormMain::Form_Activate() {
    if (!focusTitlePending_)
        return;
    txtUnvan->SetFocus();
    focusTitlePending_ = false;
}

}  // namespace kovrel::ui
