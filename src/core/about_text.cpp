#include "core/about_text.h"

#include <initializer_list>

namespace pw {

namespace {

std::string JoinLines(std::initializer_list<std::string_view> lines) {
    std::string text;
    bool first = true;
    for (const std::string_view line : lines) {
        if (!first) {
            text += "\r\n";
        }
        text += line;
        first = false;
    }
    return text;
}

constexpr std::string_view kRights = "Copyright (C) 2004 Pixelwren's makers. All rights reserved.";
constexpr std::string_view kWeb = "Web: https://pixelwren.example.org/";
constexpr std::string_view kMail = "E-mail: makers@pixelwren.example.org";

}  // namespace

AboutBox ChineseAbout() {
    return {"关于Pixelwren v1.0", JoinLines({"Pixelwren v1.0", "", "作者: Pixelwren 的制作者",
                                             " 编译于:2004年8月12日", "", kRights, kWeb, kMail})};
}

AboutBox EnglishAbout() {
    return {"About Pixelwren v1.0",
            JoinLines({"Pixelwren v1.0", "", "Author: Pixelwren's makers",
                       "Compiled on: August,4 2004", "", kRights, kWeb, kMail})};
}

AboutBox AboutForHelpCaption(std::string_view helpTopicsCaption) {
    return helpTopicsCaption == kChineseHelpTopicsCaption ? ChineseAbout() : EnglishAbout();
}

}  // namespace pw
