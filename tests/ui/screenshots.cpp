// kovrel_screenshots <folder>: the window's three layouts as PNG files for the README, grabbed by
// ImageMagick's import under an X server without a window manager (xvfb-run): no title bar.
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "window_harness.h"

using namespace kovrel;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kovrel_screenshots <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    // Only the program's name: the toolkit would take the folder for an option of its own.
    return uitest::withToolkit(1, argv, [&] {
        int result = 0;
        for (const auto& [file, example, newRecord] :
             {std::tuple{"window-income-tax.png", "gelir", false},
              std::tuple{"window-new-enterprise.png", "gelir", true},
              std::tuple{"window-corporate-tax.png", "kurumlar", false}}) {
            uitest::WindowHarness harness;
            const std::string info = harness.copyExample(example);
            if (harness.read().header.isIncomeTax())
                harness.convert(conversion::Mode::CreateNew, harness.read().title);
            ui::FormMain& window = harness.start(info);
            if (newRecord) {
                window.selectEnterprise(0);
                window.txtUnvan->SetValue(wxString::FromUTF8("Şahin Kırtasiye Şubesi"));
                window.txtPayOrani->SetValue("50");
                window.txtKar->SetValue("12.500,75");
                window.txtPayOrani->SetFocus();
            }
            uitest::pump(500);
            const wxRect r = window.GetScreenRect();
            const wxString grab =
                wxString::Format("import -window root -crop %dx%d+%d+%d +repage '%s'", r.width,
                                 r.height, r.x, r.y, (folder / file).string());
            if (window.ended() || std::system(grab.utf8_str()) != 0) {
                std::fprintf(stderr, "could not render %s\n", file);
                result = 1;
            }
        }
        return result;
    });
}
