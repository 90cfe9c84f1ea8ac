#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise is a crash the fuzzer records with its input; assert() would vanish in a
// release build.
#define FUZZ_CHECK(condition)                                                                  \
    ((condition)                                                                               \
         ? void()                                                                              \
         : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), \
            std::abort()))
