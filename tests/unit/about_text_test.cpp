#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/about_text.h"

namespace pw {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

TEST(AboutTextTest, TwoTextsOfEightLinesPickedByTheHelpCaption) {
    const AboutBox chinese = AboutForHelpCaption("帮助主题(H)");
    const AboutBox english = AboutForHelpCaption("Help &Topics");
    EXPECT_EQ(chinese.title, "关于Pixelwren v1.0");
    EXPECT_EQ(english.title, "About Pixelwren v1.0");
    const std::vector<std::string> zh = Lines(chinese.text);
    const std::vector<std::string> en = Lines(english.text);
    ASSERT_EQ(zh.size(), 8u);
    ASSERT_EQ(en.size(), 8u);
    EXPECT_EQ(zh[0], "Pixelwren v1.0");
    EXPECT_EQ(en[0], "Pixelwren v1.0");
    EXPECT_EQ(zh[3], " 编译于:2004年8月12日");
    EXPECT_EQ(en[3], "Compiled on: August,4 2004");
    for (const size_t empty : {1u, 4u}) {
        EXPECT_EQ(zh[empty], "");
        EXPECT_EQ(en[empty], "");
    }
    EXPECT_NE(zh[2], en[2]);
    for (size_t i = 5; i < 8; ++i) {
        EXPECT_FALSE(zh[i].empty());
        EXPECT_EQ(zh[i], en[i]);
    }
    // One character off, trailing spaces and case all give the English box.
    for (const char* near :
         {"帮助主题(H) ", "帮助主题(h)", "帮助主题(&H)", " 帮助主题(H)", "帮助主题", ""}) {
        SCOPED_TRACE(near);
        EXPECT_EQ(AboutForHelpCaption(near).title, "About Pixelwren v1.0");
    }
}

}  // namespace
}  // namespace pw
