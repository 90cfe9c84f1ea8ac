// The Wine tests' look at kovrel.exe from outside, as Windows shows it; exits with 1 on a fault.
//   TITLE DPI [--close]: waits for the window; checks the program's manifest (one; a 64-bit
// program, per-monitor v2 DPI awareness, Common Controls 6), the window (topmost, DPI-aware, at
// the DPI given, as wide as designed) and each shown control (inside the client area and any
// frame it stands on, frames clear of the window's edge, its text, measured in its own font by
// the library build of this file inside kovrel.exe, inside its room); prints the window's place
// (WxH+X+Y); with --close, closes the window as its close box does.
//   --texts TITLE: prints a window's (a message box's) title and texts, one a line.
//   --hold PATH MILLISECONDS: holds a file open as a virus scanner does (not to be deleted,
// renamed or replaced meanwhile); prints "held" once it does.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int faults = 0;

std::string utf8(const std::wstring& wide) {
    const auto text = std::filesystem::path(wide).u8string();
    return std::string(text.begin(), text.end());
}

void fault(const std::string& what, const std::wstring& subject) {
    std::fprintf(stderr, "window probe: %s: %s\n", what.c_str(), utf8(subject).c_str());
    ++faults;
}

// WM_GETTEXT, unlike GetWindowTextW, reaches the texts of another process's controls.
std::wstring textOf(HWND window) {
    wchar_t text[2048] = {};
    ::SendMessageW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text));
    return text;
}

// Inside kovrel.exe, whose controls' fonts no other process can read: leaves on each control the
// size its text needs in its font as the property "KovrelTextSize" (width low, height high word).
// A label wraps at its width; "&" marks an access key on buttons and labels only.
BOOL CALLBACK measure(HWND control, LPARAM) {
    wchar_t kind[16] = {};
    ::GetClassNameW(control, kind, 16);
    const std::wstring text = textOf(control), type = kind;
    const auto style = static_cast<DWORD>(::GetWindowLongW(control, GWL_STYLE));
    const bool label = type == L"Static";
    UINT format = DT_CALCRECT | DT_EXPANDTABS;
    format |= label && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP ? DT_WORDBREAK : DT_SINGLELINE;
    format |= type == L"Button" || (label && (style & SS_NOPREFIX) == 0) ? 0u : DT_NOPREFIX;
    RECT needed{};
    ::GetClientRect(control, &needed);
    needed.bottom = 0;
    const HDC dc = ::GetDC(control);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    ::DrawTextW(dc, text.c_str(), -1, &needed, format);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    const auto size = static_cast<ULONG_PTR>(MAKELONG(needed.right, needed.bottom));
    return ::SetPropW(control, L"KovrelTextSize", reinterpret_cast<HANDLE>(size));
}

}  // namespace

// A WH_CALLWNDPROC hook: the probe's message "KovrelMeasureTexts" to the window starts it.
extern "C" __declspec(dllexport) LRESULT CALLBACK
    measureTexts(int code, WPARAM wparam, LPARAM lparam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && message->message == ::RegisterWindowMessageW(L"KovrelMeasureTexts"))
        ::EnumChildWindows(message->hwnd, measure, 0);
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

namespace {

HWND waitForWindow(const wchar_t* title) {
    HWND window = nullptr;
    for (int i = 0; i < 300 && !(window && ::IsWindowVisible(window)); ++i) {
        ::Sleep(100);
        window = ::FindWindowW(nullptr, title);
    }
    if (!window)
        fault("no window", title);
    return window;
}

struct Control {
    HWND window;
    std::wstring kind, name;
    bool frame;
    RECT rect;  // in the top-level window's client coordinates
};

// The window looked at: its DPI, its client area and its shown controls.
HWND top = nullptr;
UINT dpi = 96;
RECT client{};
std::vector<Control> controls;

int dip(int units) {
    return ::MulDiv(units, static_cast<int>(dpi), 96);
}

BOOL CALLBACK collect(HWND window, LPARAM) {
    wchar_t kind[64] = {};
    ::GetClassNameW(window, kind, 64);
    if (!::IsWindowVisible(window) || std::wcsncmp(kind, L"wx", 2) == 0)  // the panel beneath
        return TRUE;
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&rect), 2);
    const std::wstring text = textOf(window);
    const bool frame = std::wstring(kind) == L"Button" &&
                       (::GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
    controls.push_back({window, kind,
                        std::wstring(kind) + L" \"" + text.substr(0, text.find(L'\n')) + L"\"",
                        frame, rect});
    return TRUE;
}

// Loads the library build of this file into kovrel.exe through a hook for one message.
bool measureTextsInside() {
    const HMODULE module = ::LoadLibraryW(L"kovrel_window_probe_hook.dll");  // beside the probe
    // Through void (*)(), the type GCC accepts between function types.
    const auto proc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void (*)()>(::GetProcAddress(module, "measureTexts")));
    const HHOOK hook = proc ? ::SetWindowsHookExW(WH_CALLWNDPROC, proc, module,
                                                  ::GetWindowThreadProcessId(top, nullptr))
                            : nullptr;
    if (hook) {
        ::SendMessageW(top, ::RegisterWindowMessageW(L"KovrelMeasureTexts"), 0, 0);
        ::UnhookWindowsHookEx(hook);
    }
    return hook != nullptr;
}

void checkControl(const Control& control) {
    const RECT& rect = control.rect;
    if (rect.left < 0 || rect.top < 0 || rect.right > client.right || rect.bottom > client.bottom)
        fault("outside the client area", control.name);
    // A frame's line is drawn on its rectangle's edge: at the window's edge it is cut.
    if (control.frame &&
        (client.right - rect.right < dip(4) || client.bottom - rect.bottom < dip(4)))
        fault("frame at the window's edge", control.name);
    for (const Control& frame : controls) {
        const RECT& f = frame.rect;
        if (!control.frame && frame.frame && rect.left < f.right && f.left < rect.right &&
            rect.top < f.bottom && f.top < rect.bottom &&
            (rect.left <= f.left || rect.right >= f.right || rect.top <= f.top ||
             rect.bottom >= f.bottom))
            fault("across the line of " + utf8(frame.name), control.name);
    }
    // The room for the text: a frame's caption between its line's ends, a radio button's beside
    // its circle, a push button's inside its border, a field's inside its margins, a list's left
    // of its arrow button.
    RECT room{};
    ::GetClientRect(control.window, &room);
    const auto style = ::GetWindowLongW(control.window, GWL_STYLE) & BS_TYPEMASK;
    if (control.frame) {
        room.right -= dip(16);
    } else if (control.kind == L"Button" &&
               (style == BS_RADIOBUTTON || style == BS_AUTORADIOBUTTON)) {
        room.right -= ::GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + dip(4);
    } else if (control.kind == L"Button") {
        ::InflateRect(&room, -dip(4), -dip(3));
    } else if (control.kind == L"Edit") {
        const auto margins =
            static_cast<DWORD>(::SendMessageW(control.window, EM_GETMARGINS, 0, 0));
        room.right -= LOWORD(margins) + HIWORD(margins);
    } else if (control.kind == L"ComboBox") {
        room.right -= ::GetSystemMetricsForDpi(SM_CXVSCROLL, dpi) + dip(6);
        room.bottom -= dip(4);
    } else if (control.kind != L"Static") {
        return;
    }
    ::OffsetRect(&room, -room.left, -room.top);
    const auto needs = reinterpret_cast<ULONG_PTR>(::GetPropW(control.window, L"KovrelTextSize"));
    if (needs == 0 || LOWORD(needs) > room.right || HIWORD(needs) > room.bottom)
        fault("text cut: needs " + std::to_string(LOWORD(needs)) + "x" +
                  std::to_string(HIWORD(needs)) + ", has " + std::to_string(room.right) + "x" +
                  std::to_string(room.bottom),
              control.name);
}

// The program's manifest as the system loader reads it: exactly one, with these declarations.
void checkManifest() {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(top, &processId);
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    ::QueryFullProcessImageNameW(process, 0, path, &size);
    ::CloseHandle(process);
    const HMODULE module = ::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::vector<std::string> manifests;  // of type RT_MANIFEST, whatever the build's character set
    ::EnumResourceNamesW(
        module, MAKEINTRESOURCEW(24),
        [](HMODULE in, LPCWSTR type, LPWSTR name, LONG_PTR found) -> BOOL {
            const HRSRC resource = ::FindResourceW(in, name, type);
            reinterpret_cast<std::vector<std::string>*>(found)->emplace_back(
                static_cast<const char*>(::LockResource(::LoadResource(in, resource))),
                ::SizeofResource(in, resource));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&manifests));
    if (manifests.size() != 1)
        return fault("manifests: " + std::to_string(manifests.size()), path);
    const std::string& text = manifests[0];
    // The program's own identity comes first; dependencies name theirs after it.
    const auto amd64 = text.find("processorArchitecture=\"amd64\"", text.find("<assemblyIdentity"));
    if (amd64 == std::string::npos || amd64 > text.find("<dependency"))
        fault("manifest does not name a 64-bit (amd64) program", path);
    const auto awareness = text.find("<dpiAwareness");
    if (awareness == std::string::npos ||
        text.substr(awareness, text.find("</dpiAwareness>", awareness) - awareness)
                .find(">PerMonitorV2") == std::string::npos)
        fault("manifest does not ask for per-monitor v2 DPI awareness first", path);
    if (text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"") ==
        std::string::npos)
        fault("manifest does not ask for Common Controls 6", path);
}

void checkWindow(UINT expectedDpi) {
    const std::wstring window = L"the window";
    if ((::GetWindowLongW(top, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0)
        fault("not topmost", window);
    const DPI_AWARENESS_CONTEXT context = ::GetWindowDpiAwarenessContext(top);
    // Wine 8 knows per-monitor awareness but not its second version.
    if (::IsValidDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)
            ? !::AreDpiAwarenessContextsEqual(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)
            : ::GetAwarenessFromDpiAwarenessContext(context) != DPI_AWARENESS_PER_MONITOR_AWARE)
        fault("not aware of the monitor's DPI", window);
    if (dpi != expectedDpi)
        fault("at DPI " + std::to_string(dpi) + ", not " + std::to_string(expectedDpi), window);
    if (client.right < ::MulDiv(7200, static_cast<int>(dpi), 1440))  // twips
        fault("narrower than designed at this DPI", window);
}

BOOL CALLBACK printText(HWND window, LPARAM) {
    const std::wstring text = textOf(window);
    if (::IsWindowVisible(window) && !text.empty())
        std::printf("%s\n", utf8(text).c_str());
    return TRUE;
}

}  // namespace

int main() {
    // Sizes and places as they are, not as the system would scale them for this program.
    ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
        ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (count == 4 && std::wcscmp(args[1], L"--hold") == 0) {
        const HANDLE file = ::CreateFileW(args[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return 1;
        std::puts("held");  // for a script waiting to start what must meet the hold
        std::fflush(stdout);
        ::Sleep(static_cast<DWORD>(std::wcstoul(args[3], nullptr, 10)));
        return 0;
    }
    if (count == 3 && std::wcscmp(args[1], L"--texts") == 0) {
        // The title as it is first: FindWindowW ignores case.
        if (const HWND box = waitForWindow(args[2]); box && printText(box, 0))
            ::EnumChildWindows(box, printText, 0);
        return faults == 0 ? 0 : 1;
    }
    if (count < 3)
        return 2;
    top = waitForWindow(args[1]);
    if (!top)
        return 1;
    dpi = ::GetDpiForWindow(top);
    ::GetClientRect(top, &client);
    checkManifest();
    checkWindow(static_cast<UINT>(std::wcstoul(args[2], nullptr, 10)));
    if (!measureTextsInside())
        fault("cannot measure the texts inside the program", args[1]);
    ::EnumChildWindows(top, collect, 0);
    for (const Control& control : controls)
        checkControl(control);
    RECT place{};
    ::GetWindowRect(top, &place);
    if (count > 3 && std::wcscmp(args[3], L"--close") == 0)
        ::PostMessageW(top, WM_CLOSE, 0, 0);
    std::printf(
        "window probe: manifest, topmost, DPI %u, client %ldx%ld, %zu controls: %d "
        "fault(s); window %ldx%ld+%ld+%ld\n",
        dpi, client.right, client.bottom, controls.size(), faults, place.right - place.left,
        place.bottom - place.top, place.left, place.top);
    return faults == 0 ? 0 : 1;
}
