// libFuzzer target for the language-file reader: any bytes, read as a language file, give at
// most 25 lines without a CR, and valid UTF-8 input comes back without replacement characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "core/language_lines.h"

namespace {

std::u16string Latin1(std::string_view bytes) {
    std::u16string text;
    for (const char c : bytes) {
        text += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    return text;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const std::byte> file(reinterpret_cast<const std::byte*>(data), size);
    const auto lines = pw::ReadLanguageLines(file, Latin1);
    size_t total = 0;
    for (const std::u16string& line : lines) {
        Check(line.find(u'\r') == std::u16string::npos);
        total += line.size();
    }
    // No line holds more units than the file has bytes.
    Check(total <= size);

    // UTF-8 decoding: a surrogate appears only as half of a well-formed pair.
    const std::u16string decoded =
        pw::DecodeUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    for (size_t i = 0; i < decoded.size(); ++i) {
        const char16_t unit = decoded[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            Check(i + 1 < decoded.size() && decoded[i + 1] >= 0xDC00 && decoded[i + 1] <= 0xDFFF);
            ++i;
        } else {
            Check(unit < 0xDC00 || unit > 0xDFFF);
        }
    }
    return 0;
}
