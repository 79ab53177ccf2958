#include "core/captions.h"

namespace pw {

namespace {

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// "(&X)" at the end, with X any single byte but '&' and ')'.
bool EndsWithBracketedAccessKey(std::string_view text) {
    const size_t n = text.size();
    return n >= 4 && text[n - 4] == '(' && text[n - 3] == '&' && text[n - 2] != '&' &&
           text[n - 2] != ')' && text[n - 1] == ')';
}

}  // namespace

std::string CommandDisplayName(std::string_view caption) {
    if (EndsWith(caption, "...")) {
        caption.remove_suffix(3);
    }
    if (EndsWithBracketedAccessKey(caption)) {
        caption.remove_suffix(4);
    }
    std::string name;
    name.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                name += '&';
                ++i;
            }
            continue;
        }
        name += caption[i];
    }
    return name;
}

}  // namespace pw
