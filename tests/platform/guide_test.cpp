#include <gtest/gtest.h>

#include "platform/messages.h"
#include "support/test_support.h"

namespace kovrel::messages {
namespace {

// The user's guide explains every headline the program can show, as the catalogue words it.
TEST(Guide, ExplainsEveryHeadline) {
    const std::string guide = test::readBytes(KOVREL_GUIDE);
    ASSERT_FALSE(guide.empty());
    for (const char* headline : kHeadlines)
        EXPECT_NE(guide.find(std::string("**") + headline + "**"), std::string::npos) << headline;
}

}  // namespace
}  // namespace kovrel::messages
