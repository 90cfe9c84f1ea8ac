#include "platform/window_placement.h"

namespace kovrel::platform {

// The toolkit's stay-on-top style is all a window manager here needs.
void keepWindowOnTop(void*) {}

}  // namespace kovrel::platform
