#include <wx/app.h>

#include "platform/allocator.h"
#include "platform/command_line.h"
#include "platform/window_placement.h"
#include "ui/dialogs.h"
#include "ui/form_main.h"

namespace {

class KovrelApp : public wxApp {
  public:
    bool OnInit() override {
        kovrel::platform::tuneAllocatorForLargeDocuments();
        auto* window = new kovrel::ui::FormMain(kovrel::ui::toolkitDialogs(),
                                                kovrel::platform::commandLineText(argc, argv));
        window->Form_Load();
        if (window->ended())
            return false;
        window->Centre(wxBOTH);
        window->Show();
        kovrel::platform::keepWindowOnTop(window->GetHandle());
        return true;
    }
};

}  // namespace

wxIMPLEMENT_APP(KovrelApp);
