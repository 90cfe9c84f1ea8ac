#include <iostream>

#include "cli/convert_command.h"
#include "platform/allocator.h"
#include "platform/command_line.h"

int main(int argc, char** argv) {
    kovrel::platform::tuneAllocatorForLargeDocuments();
    return kovrel::cli::runConvert(kovrel::platform::commandLineArguments(argc, argv), std::cout,
                                   std::cerr);
}
