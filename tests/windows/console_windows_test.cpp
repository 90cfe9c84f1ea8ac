#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/console.h"

// The converter's standard streams on Windows, run under Wine by scripts/windows-test.sh.
namespace kovrel::platform {
namespace {

// Gives the process another standard handle for the scope.
class StdHandleFor {
  public:
    StdHandleFor(DWORD id, HANDLE handle) : id_(id), previous_(::GetStdHandle(id)) {
        ::SetStdHandle(id, handle);
    }
    ~StdHandleFor() { ::SetStdHandle(id_, previous_); }
    StdHandleFor(const StdHandleFor&) = delete;
    StdHandleFor& operator=(const StdHandleFor&) = delete;

  private:
    DWORD id_;
    HANDLE previous_;
};

// The output of a console of the test's own. Under Wine a program whose output is redirected
// sits on a console it cannot open; a new one is made, and the standard handles it replaces
// are given back afterwards.
class OwnConsole {
  public:
    OwnConsole() {
        ::FreeConsole();
        if (::AllocConsole()) {
            output_ = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
        }
    }
    ~OwnConsole() {
        if (output_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(output_);
        ::FreeConsole();
        for (int i = 0; i < 3; ++i)
            ::SetStdHandle(kIds[i], saved_[i]);
    }
    OwnConsole(const OwnConsole&) = delete;
    OwnConsole& operator=(const OwnConsole&) = delete;

    HANDLE output() const { return output_; }

  private:
    static constexpr DWORD kIds[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE saved_[3] = {::GetStdHandle(kIds[0]), ::GetStdHandle(kIds[1]), ::GetStdHandle(kIds[2])};
    HANDLE output_ = INVALID_HANDLE_VALUE;
};

// Messages reach a console as the letters they are, whatever its code page: UTF-8 through the
// wide API, a byte outside UTF-8 as its ISO-8859-9 letter, a letter cut between two writes
// whole.
TEST(WindowsConsole, ShowsTurkishLettersOnEveryCodePage) {
    const OwnConsole own;
    const HANDLE console = own.output();
    ASSERT_NE(console, INVALID_HANDLE_VALUE);
    StdHandleFor error(STD_ERROR_HANDLE, console);
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
}

// A file or a pipe gets the bytes as they are: the declaration of a dry run keeps its CR LF
// and ISO-8859-9 letters, a message its UTF-8.
TEST(WindowsConsole, FileOrPipeGetsTheBytesUnchanged) {
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    ASSERT_TRUE(::CreatePipe(&reading, &writing, nullptr, 1 << 16));
    const std::string bytes = "<?xml?>\r\n<a>\xDD\xFD\xDE</a>\r\nbilgi dosyası\n";
    {
        StdHandleFor output(STD_OUTPUT_HANDLE, writing);
        std::ostream out(standardStream(StandardStream::Output));
        out << bytes.substr(0, 14) << std::flush << bytes.substr(14) << std::flush;
    }
    ::CloseHandle(writing);
    std::string received(bytes.size() + 16, '\0');
    DWORD count = 0;
    ::ReadFile(reading, received.data(), static_cast<DWORD>(received.size()), &count, nullptr);
    received.resize(count);
    ::CloseHandle(reading);
    EXPECT_EQ(received, bytes);
}

}  // namespace
}  // namespace kovrel::platform
