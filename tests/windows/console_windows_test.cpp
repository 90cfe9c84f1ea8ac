#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/console.h"

// The converter's messages in a Windows console, run under Wine by scripts/windows-test.sh (which
// also checks that redirected output keeps its bytes).
namespace kovrel::platform {
namespace {

// The letters they are whatever the console's code page: UTF-8 through the wide API, a byte
// outside UTF-8 (a dry run's ISO-8859-9 declaration) as its ISO-8859-9 letter, a letter cut
// between two writes whole.
TEST(WindowsConsole, ShowsTurkishLettersOnEveryCodePage) {
    // A console of the test's own: under Wine a program whose output is redirected sits on a
    // console it cannot open. The standard handles that this replaces are given back.
    const DWORD ids[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    const HANDLE saved[] = {::GetStdHandle(ids[0]), ::GetStdHandle(ids[1]), ::GetStdHandle(ids[2])};
    ::FreeConsole();
    ASSERT_TRUE(::AllocConsole());
    const HANDLE console =
        ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    ::SetStdHandle(STD_ERROR_HANDLE, console);
    std::ostream err(standardStream(StandardStream::Error));
    const std::wstring expected =
        L"\u011F\u00FC\u015F\u0131\u00F6\u00E7 \u011E\u00DC\u015E\u0130\u00D6\u00C7 \u0131 "
        L"\u0131\u015E\u00E7!";
    for (const UINT page : {857u, 437u, 65001u}) {
        SCOPED_TRACE(page);
        ::SetConsoleOutputCP(page);
        DWORD done = 0;
        ::FillConsoleOutputCharacterW(console, L' ', 80, {0, 0}, &done);
        ::SetConsoleCursorPosition(console, {0, 0});
        err << "ğüşıöç ĞÜŞİÖÇ \xC4" << std::flush << "\xB1 \xFD\xDE\xE7" << std::flush << "!"
            << std::flush;
        std::wstring shown(expected.size(), L'\0');
        ::ReadConsoleOutputCharacterW(console, shown.data(), static_cast<DWORD>(shown.size()),
                                      {0, 0}, &done);
        EXPECT_EQ(shown, expected);
    }
    ::CloseHandle(console);
    ::FreeConsole();
    for (int i = 0; i < 3; ++i)
        ::SetStdHandle(ids[i], saved[i]);
}

}  // namespace
}  // namespace kovrel::platform
