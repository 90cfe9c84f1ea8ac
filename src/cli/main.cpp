#include <ostream>

#include "cli/convert_command.h"
#include "platform/allocator.h"
#include "platform/command_line.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    namespace platform = kovrel::platform;
    platform::tuneAllocatorForLargeDocuments();
    std::ostream out(platform::standardStream(platform::StandardStream::Output));
    std::ostream err(platform::standardStream(platform::StandardStream::Error));
    err.setf(std::ios::unitbuf);  // a message shows at once, as std::cerr's do
    const int status =
        kovrel::cli::runConvert(platform::commandLineArguments(argc, argv), out, err);
    out.flush();
    return status;
}
