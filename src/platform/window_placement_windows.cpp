#include "platform/windows_api.h"

#include "platform/window_placement.h"

namespace kovrel::platform {

void keepWindowOnTop(void* nativeHandle) {
    if (!nativeHandle)
        return;
    ::SetWindowPos(static_cast<HWND>(nativeHandle), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace kovrel::platform
