// Looks at kovrel.exe's window from outside, as Windows shows it, for the Wine tests:
//   kovrel_window_probe.exe TITLE DPI SCREEN.bmp [PICTURE.bmp] [--close]
// SCREEN.bmp is a picture of the whole screen taken once the window is shown.
// Waits for the window with that title and checks
//   - the program's manifest: one, naming a 64-bit program, per-monitor v2 DPI awareness and
//     Common Controls 6;
//   - the window: topmost, aware of the monitor's DPI, at the DPI given, as wide as designed;
//   - every shown control: inside the client area, inside any frame it stands on, a frame
//     clear of the window's edge, and no text cut (see inkAtEdge).
// With a picture path, also saves the window with its frame, cut out of the screen, as BMP; with
// --close, closes the window afterwards as its close box does. Prints each fault and
// exits with 1 when there is one.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which they need.
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kClientWidthTwips = 7200;
// RT_MANIFEST, whose definition follows the ANSI or wide setting of the build.
const LPCWSTR kManifestType = MAKEINTRESOURCEW(24);

int faults = 0;

std::string utf8(const std::wstring& wide) {
    std::string text(wide.size() * 3, '\0');
    text.resize(static_cast<std::size_t>(
        ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(),
                              static_cast<int>(text.size()), nullptr, nullptr)));
    return text;
}

void fault(const std::string& what, const std::wstring& subject) {
    std::fprintf(stderr, "window probe: %s: %s\n", what.c_str(), utf8(subject).c_str());
    ++faults;
}

std::wstring textOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// The window as it is on the screen, frame included, as top-down 32-bit pixels.
struct Picture {
    RECT screen{};  // where it was taken
    int width = 0, height = 0;
    std::vector<DWORD> pixels;

    DWORD at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// The window cut out of a picture of the whole screen. A program's own copy of the screen
// (BitBlt from the screen's DC) lacks other programs' text under Wine, so the picture is taken
// from the X server by the caller.
Picture windowInScreen(HWND window, const wchar_t* screenFile) {
    Picture picture;
    ::GetWindowRect(window, &picture.screen);
    const auto bitmap = static_cast<HBITMAP>(::LoadImageW(nullptr, screenFile, IMAGE_BITMAP, 0, 0,
                                                          LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    BITMAP shape{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof shape, &shape))
        return picture;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shape.bmWidth;
    info.bmiHeader.biHeight = -shape.bmHeight;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> screen(static_cast<std::size_t>(shape.bmWidth) *
                              static_cast<std::size_t>(shape.bmHeight));
    const HDC dc = ::GetDC(nullptr);
    const int rows = ::GetDIBits(dc, bitmap, 0, static_cast<UINT>(shape.bmHeight), screen.data(),
                                 &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(bitmap);
    RECT visible{};
    const RECT whole{0, 0, shape.bmWidth, shape.bmHeight};
    if (rows != shape.bmHeight || !::IntersectRect(&visible, &picture.screen, &whole) ||
        !::EqualRect(&visible, &picture.screen)) {
        return picture;  // the window does not lie wholly on the screen
    }
    picture.width = picture.screen.right - picture.screen.left;
    picture.height = picture.screen.bottom - picture.screen.top;
    for (int y = 0; y < picture.height; ++y) {
        const auto row = screen.begin() +
                         (picture.screen.top + y) * static_cast<std::ptrdiff_t>(shape.bmWidth) +
                         picture.screen.left;
        picture.pixels.insert(picture.pixels.end(), row, row + picture.width);
    }
    return picture;
}

bool savePicture(const Picture& picture, const wchar_t* path) {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = picture.width;
    info.biHeight = -picture.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const auto imageBytes = static_cast<DWORD>(picture.pixels.size() * sizeof(DWORD));
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + imageBytes;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(picture.pixels.data()), imageBytes);
    return out.good();
}

bool differs(DWORD a, DWORD b) {
    int distance = 0;
    for (int shift = 0; shift < 24; shift += 8)
        distance +=
            std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return distance > 48;
}

// Text that does not fit its control is clipped at the control's right or bottom edge (a label
// too narrow wraps, and its second line is clipped at the bottom): some of its pixels then lie
// on the last column or row of the area the control draws its text in. The area's background is
// its most frequent colour; pixels where another control overlaps the area are not its own.
bool inkAtEdge(const Picture& picture, RECT area, const std::vector<RECT>& others) {
    area.left = std::max(area.left, 0L);
    area.top = std::max(area.top, 0L);
    area.right = std::min(area.right, static_cast<LONG>(picture.width));
    area.bottom = std::min(area.bottom, static_cast<LONG>(picture.height));
    if (area.right <= area.left || area.bottom <= area.top)
        return false;
    std::map<DWORD, int> counts;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x)
            ++counts[picture.at(x, y) & 0xFFFFFF];
    }
    const DWORD background =
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    const auto ink = [&](int x, int y) {
        const POINT point{x, y};
        return differs(picture.at(x, y) & 0xFFFFFF, background) &&
               std::none_of(others.begin(), others.end(),
                            [&](const RECT& other) { return ::PtInRect(&other, point); });
    };
    for (int y = area.top; y < area.bottom; ++y) {
        if (ink(area.right - 1, y))
            return true;
    }
    for (int x = area.left; x < area.right; ++x) {
        if (ink(x, area.bottom - 1))
            return true;
    }
    return false;
}

struct Control {
    HWND window;
    std::wstring kind, name;
    DWORD style;
    RECT rect;  // in the top-level window's client coordinates
};

bool isFrame(const Control& control) {
    return control.kind == L"Button" && (control.style & BS_TYPEMASK) == BS_GROUPBOX;
}

bool overlaps(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A rectangle of one window mapped into another's client coordinates.
RECT mapped(RECT rect, HWND from, HWND to) {
    ::MapWindowPoints(from, to, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

struct Probe {
    HWND top;
    UINT dpi;
    RECT client;
    Picture picture;
    std::vector<Control> controls;

    int dip(int units) const { return ::MulDiv(units, static_cast<int>(dpi), 96); }

    // A client rectangle of a control, in the picture's coordinates.
    RECT inPicture(HWND control, RECT area) const {
        area = mapped(area, control, HWND_DESKTOP);
        ::OffsetRect(&area, -picture.screen.left, -picture.screen.top);
        return area;
    }
};

// A control's name in the faults: its kind, place and size, and the first line of its text.
std::wstring describe(const std::wstring& kind, const RECT& rect, const std::wstring& text) {
    return kind + L" at " + std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L" " +
           std::to_wstring(rect.right - rect.left) + L"x" +
           std::to_wstring(rect.bottom - rect.top) + L" \"" + text.substr(0, text.find(L'\n')) +
           L"\"";
}

BOOL CALLBACK collect(HWND window, LPARAM data) {
    auto& probe = *reinterpret_cast<Probe*>(data);
    const std::wstring kind = classOf(window);
    if (!::IsWindowVisible(window) || kind.rfind(L"wx", 0) == 0)  // the panel under the controls
        return TRUE;
    RECT rect{};
    ::GetWindowRect(window, &rect);
    rect = mapped(rect, HWND_DESKTOP, probe.top);
    probe.controls.push_back({window, kind, describe(kind, rect, textOf(window)),
                              static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)), rect});
    return TRUE;
}

void checkControl(const Probe& probe, const Control& control) {
    const RECT& rect = control.rect;
    const RECT& client = probe.client;
    if (rect.left < client.left || rect.top < client.top || rect.right > client.right ||
        rect.bottom > client.bottom) {
        fault("outside the client area", control.name);
    }
    if (isFrame(control)) {
        // A frame's line is drawn on its rectangle's edge: at the window's edge it is cut.
        if (client.right - rect.right < probe.dip(4) || client.bottom - rect.bottom < probe.dip(4))
            fault("frame at the window's edge", control.name);
        return;
    }
    for (const Control& frame : probe.controls) {
        if (isFrame(frame) && overlaps(frame.rect, rect) &&
            (rect.left <= frame.rect.left || rect.right >= frame.rect.right ||
             rect.top <= frame.rect.top || rect.bottom >= frame.rect.bottom)) {
            fault("across the line of " + utf8(frame.name), control.name);
        }
    }
    RECT inner{};
    ::GetClientRect(control.window, &inner);
    if (control.kind == L"ComboBox") {
        // The entry shown, inside the border and left of the arrow button. (GetComboBoxInfo
        // would hand the list a pointer into this process: under Wine that crashes it.)
        inner.right -= ::GetSystemMetricsForDpi(SM_CXVSCROLL, probe.dpi) + probe.dip(3);
        ::InflateRect(&inner, -probe.dip(2), -probe.dip(2));
    } else if (control.kind == L"Button" && (control.style & BS_TYPEMASK) != BS_RADIOBUTTON &&
               (control.style & BS_TYPEMASK) != BS_AUTORADIOBUTTON) {
        // A push button's caption is centred: look inside its border and focus rectangle.
        ::InflateRect(&inner, -probe.dip(5), -probe.dip(5));
    } else if (control.kind != L"Static" && control.kind != L"Button" && control.kind != L"Edit") {
        return;
    }
    std::vector<RECT> others;
    for (const Control& other : probe.controls) {
        if (other.window != control.window && !isFrame(other)) {
            RECT area{};
            ::GetWindowRect(other.window, &area);
            ::OffsetRect(&area, -probe.picture.screen.left, -probe.picture.screen.top);
            others.push_back(area);
        }
    }
    if (inkAtEdge(probe.picture, probe.inPicture(control.window, inner), others))
        fault("text cut", control.name);
}

// The program's manifest as the system loader reads it: exactly one, with these declarations.
void checkManifest(HWND window) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const bool named = process && ::QueryFullProcessImageNameW(process, 0, path, &size);
    if (process)
        ::CloseHandle(process);
    const HMODULE module =
        named ? ::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
    if (!module) {
        fault("cannot read the program's resources", path);
        return;
    }
    int manifests = 0;
    ::EnumResourceNamesW(
        module, kManifestType,
        [](HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) -> BOOL {
            ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&manifests));
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), kManifestType);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const std::string text = loaded ? std::string(static_cast<const char*>(::LockResource(loaded)),
                                                  ::SizeofResource(module, found))
                                    : std::string();
    ::FreeLibrary(module);
    if (manifests != 1)
        fault("manifests: " + std::to_string(manifests), path);
    // The program's own identity comes first; dependencies name theirs after it.
    const auto identity = text.find("<assemblyIdentity");
    const auto dependency = text.find("<dependency");
    const auto amd64 = text.find("processorArchitecture=\"amd64\"", identity);
    if (identity == std::string::npos || amd64 == std::string::npos || amd64 > dependency)
        fault("manifest does not name a 64-bit (amd64) program", path);
    const auto awareness = text.find("<dpiAwareness");
    if (awareness == std::string::npos ||
        text.substr(awareness, text.find("</dpiAwareness>", awareness) - awareness)
                .find(">PerMonitorV2") == std::string::npos) {
        fault("manifest does not ask for per-monitor v2 DPI awareness first", path);
    }
    if (text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"") ==
        std::string::npos) {
        fault("manifest does not ask for Common Controls 6", path);
    }
}

void checkAwareness(const Probe& probe, UINT expectedDpi) {
    const std::wstring window = L"the window";
    if ((::GetWindowLongPtrW(probe.top, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0)
        fault("not topmost", window);
    const DPI_AWARENESS_CONTEXT context = ::GetWindowDpiAwarenessContext(probe.top);
    // Wine 8 knows per-monitor awareness but not its second version.
    if (::IsValidDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)
            ? !::AreDpiAwarenessContextsEqual(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)
            : ::GetAwarenessFromDpiAwarenessContext(context) != DPI_AWARENESS_PER_MONITOR_AWARE) {
        fault("not aware of the monitor's DPI", window);
    }
    if (probe.dpi != expectedDpi)
        fault("at DPI " + std::to_string(probe.dpi) + ", not " + std::to_string(expectedDpi),
              window);
    if (probe.client.right <
        ::MulDiv(kClientWidthTwips, static_cast<int>(probe.dpi), kTwipsPerInch))
        fault("narrower than designed at this DPI", window);
}

}  // namespace

int main() {
    // The probe reads pixels as they are, not as the system would scale them for it.
    ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
        ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const bool close = args && count > 0 && std::wcscmp(args[count - 1], L"--close") == 0;
    if (close)
        --count;
    if (!args || count < 4) {
        std::fprintf(stderr,
                     "usage: kovrel_window_probe TITLE DPI SCREEN.bmp [PICTURE.bmp] [--close]\n");
        return 2;
    }
    HWND top = nullptr;
    for (int i = 0; i < 300 && !(top && ::IsWindowVisible(top)); ++i) {
        ::Sleep(100);
        top = ::FindWindowW(nullptr, args[1]);
    }
    if (!top) {
        fault("no window", args[1]);
        return 1;
    }
    Probe probe{top, ::GetDpiForWindow(top), {}, windowInScreen(top, args[3]), {}};
    if (probe.picture.pixels.empty())
        fault("the window is not wholly in the picture of the screen", args[3]);
    ::GetClientRect(top, &probe.client);
    checkManifest(top);
    checkAwareness(probe, static_cast<UINT>(std::wcstoul(args[2], nullptr, 10)));
    ::EnumChildWindows(top, collect, reinterpret_cast<LPARAM>(&probe));
    for (const Control& control : probe.controls)
        checkControl(probe, control);
    if (count > 4 && !savePicture(probe.picture, args[4]))
        fault("cannot save the picture", args[4]);
    if (close)
        ::PostMessageW(top, WM_CLOSE, 0, 0);
    std::printf(
        "window probe: manifest, topmost, DPI %u, client %ldx%ld, %zu controls: %d fault(s)\n",
        probe.dpi, probe.client.right, probe.client.bottom, probe.controls.size(), faults);
    return faults == 0 ? 0 : 1;
}
