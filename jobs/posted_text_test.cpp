#include "jobs/posted_text.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

// Under ASan a text taken twice or never is a failure of its own.
TEST(PostedText, ComesBackWholeOnce) {
    const std::string texts[] = {"", "正在转移镜像...", std::string("with\0nul", 8), std::string(100000, 'x')};
    for (const std::string& text : texts) {
        uintptr_t parameter = NewPostedText(text);
        ASSERT_NE(parameter, 0u);
        EXPECT_EQ(TakePostedText(parameter), text);
    }
    EXPECT_EQ(TakePostedText(0), "");
    DropPostedText(NewPostedText("never posted"));
}

}  // namespace
}  // namespace qnb
