// The About box: its two texts and titles, and the marker that picks one of them.
#pragma once

#include <string>
#include <string_view>

namespace pw {

struct AboutBox {
    std::string title;  // UTF-8
    std::string text;   // eight lines joined by CR LF, none after the last
};

// The caption that the Help topics item carries in Chinese; the About box is Chinese exactly
// when the item shows this text.
inline constexpr std::string_view kChineseHelpTopicsCaption = "帮助主题(H)";

AboutBox ChineseAbout();
AboutBox EnglishAbout();
// The About box for the Help topics item's current caption (UTF-8, without a shortcut part).
AboutBox AboutForHelpCaption(std::string_view helpTopicsCaption);

}  // namespace pw
