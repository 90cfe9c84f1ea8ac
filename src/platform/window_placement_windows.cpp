#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/window_placement.h"

namespace kovrel::platform {

void keepWindowOnTop(void* nativeHandle) {
    if (!nativeHandle)
        return;
    ::SetWindowPos(static_cast<HWND>(nativeHandle), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace kovrel::platform
