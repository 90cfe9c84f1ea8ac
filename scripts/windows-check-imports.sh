#!/bin/sh
# Fails unless every given .exe imports only DLLs that every Windows installation has.
set -eu
SYSTEM_DLLS="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
oleaut32.dll rpcrt4.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll winspool.drv
ws2_32.dll imm32.dll winmm.dll oleacc.dll"
status=0
for exe in "$@"; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/{print tolower($3)}' | sort -u)
    for dll in $dlls; do
        case " $(echo $SYSTEM_DLLS) " in
        *" $dll "*) ;;
        *) echo "$exe imports $dll, which is not a Windows system DLL" >&2; status=1 ;;
        esac
    done
    echo "$exe: $(wc -c <"$exe") bytes; imports: $(echo $dlls)"
done
exit $status
