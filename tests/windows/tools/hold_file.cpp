// Holds a file open as a virus scanner or a backup agent does, for the saves under a lock of
// scripts/windows-test.sh: kovrel_hold_file.exe PATH MILLISECONDS. Others may read and write the
// file meanwhile, but not delete, rename or replace it.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

int main() {
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args || count != 3)
        return 2;
    const HANDLE file = ::CreateFileW(args[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    std::puts("held");  // for a script waiting to start what must meet the hold
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(std::wcstoul(args[2], nullptr, 10)));
    ::CloseHandle(file);
    return 0;
}
