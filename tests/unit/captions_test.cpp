#include <gtest/gtest.h>

#include "core/captions.h"

namespace pw {
namespace {

TEST(CaptionsTest, CommandNamesLoseTheirAccessKeysAndEllipsis) {
    struct Case {
        const char* caption;
        const char* name;
    };
    const Case cases[] = {
        {"整个屏幕(&S)", "整个屏幕"},
        {"延时捕获(&A)", "延时捕获"},
        {"关于Pixelwren(&A)...", "关于Pixelwren"},
        {"帮助主题(H)", "帮助主题(H)"},        // no access key: shown as it is
        {"英语(&English)", "英语(English)"},  // not a one-letter key in brackets
        {"设置为墙纸", "设置为墙纸"},
        {"&Open", "Open"},
        {"Save &As...", "Save As"},
        {"Copy && Paste", "Copy & Paste"},
        {"Trailing &", "Trailing "},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CommandDisplayName(c.caption), c.name) << c.caption;
    }
}

}  // namespace
}  // namespace pw
