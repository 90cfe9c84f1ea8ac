#pragma once

namespace kovrel::platform {

// Places a shown top-level window above all non-topmost windows without moving or sizing it.
// nativeHandle is the toolkit's native window handle (an HWND on Windows); where the toolkit's
// own stay-on-top style already does this, the call does nothing.
void keepWindowOnTop(void* nativeHandle);

}  // namespace kovrel::platform
