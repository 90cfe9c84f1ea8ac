// Renders the window in its three layouts to PNG files, for the README:
//   kovrel_screenshots <folder>
// Runs under an X server without a window manager (xvfb-run), so the pictures show the window
// without a title bar; ImageMagick's import grabs them from the screen.
#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "infofile/declaration_header.h"
#include "window_harness.h"

namespace {

using kovrel::conversion::Mode;
using kovrel::uitest::WindowHarness;

struct Layout {
    const char* file;
    const char* example;
    bool existingEnterprise;
    bool newRecord;
};

bool render(const Layout& layout, const std::filesystem::path& folder) {
    WindowHarness harness;
    const std::string info = harness.copyExample(layout.example);
    if (layout.existingEnterprise) {
        harness.convert(info, Mode::CreateNew, kovrel::infofile::readDeclarationHeader(info).title);
    }
    kovrel::ui::FormMain& window = harness.start(info);
    if (window.ended())
        return false;
    if (layout.newRecord) {
        window.selectEnterprise(0);
        window.txtUnvan->SetValue(wxString::FromUTF8("Şahin Kırtasiye Şubesi"));
        window.txtPayOrani->SetValue("50");
        window.txtKar->SetValue("12.500,75");
        window.txtPayOrani->SetFocus();
    }
    kovrel::uitest::pump(500);
    const wxRect rect = window.GetScreenRect();
    const std::string command = "import -window root -crop " + std::to_string(rect.width) + "x" +
                                std::to_string(rect.height) + "+" + std::to_string(rect.x) + "+" +
                                std::to_string(rect.y) + " +repage '" +
                                (folder / layout.file).string() + "'";
    return std::system(command.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kovrel_screenshots <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    wxApp::SetInstance(new wxApp);
    int toolkitArgc = 1;  // the toolkit would take the folder for an option of its own
    if (!wxEntryStart(toolkitArgc, argv) || !wxTheApp->CallOnInit())
        return 2;
    const Layout layouts[] = {
        {"window-income-tax.png", "gelir", true, false},
        {"window-new-enterprise.png", "gelir", true, true},
        {"window-corporate-tax.png", "kurumlar", false, false},
    };
    int result = 0;
    for (const Layout& layout : layouts) {
        if (!render(layout, folder)) {
            std::fprintf(stderr, "could not render %s\n", layout.file);
            result = 1;
        }
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
