#include <iostream>

#include "platform/console.h"

namespace kovrel::platform {

// A terminal takes UTF-8 as it is; the standard streams pass bytes through unchanged.
std::streambuf* standardStream(StandardStream stream) {
    return stream == StandardStream::Output ? std::cout.rdbuf() : std::cerr.rdbuf();
}

}  // namespace kovrel::platform
