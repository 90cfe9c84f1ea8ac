#include <gtest/gtest.h>

#include "window_harness.h"

// The window tests need the toolkit running (and an X server); listing them does not.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    return kovrel::uitest::withToolkit(argc, argv, [] { return RUN_ALL_TESTS(); });
}
