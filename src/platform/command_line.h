#pragma once

#include <string>
#include <vector>

namespace kovrel::platform {

// The program's command line after its own name, as UTF-8, untrimmed. On Windows the raw
// command line; elsewhere the arguments joined by single spaces.
std::string commandLineText(int argc, char** argv);

// The program's arguments after its own name, each as UTF-8.
std::vector<std::string> commandLineArguments(int argc, char** argv);

}  // namespace kovrel::platform
