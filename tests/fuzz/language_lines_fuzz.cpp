// libFuzzer target for the language-file reader: any bytes, read as a language file, give the
// lines that a plain reference reading gives (decode the whole file first, then split it), and
// UTF-8 decoding never leaves half a surrogate pair.
#include <array>
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

// The file's text as code units, by its byte-order mark: CR and LF are never part of a
// multi-byte character, so decoding before splitting gives the same lines.
std::u16string Decode(std::string_view file) {
    if (file.substr(0, 3) == "\xEF\xBB\xBF") {
        return pw::DecodeUtf8(file.substr(3));
    }
    const bool little = file.substr(0, 2) == "\xFF\xFE";
    if (!little && file.substr(0, 2) != "\xFE\xFF") {
        return Latin1(file);
    }
    std::u16string units;
    for (size_t i = 2; i + 1 < file.size(); i += 2) {
        const auto first = static_cast<unsigned char>(file[i]);
        const auto second = static_cast<unsigned char>(file[i + 1]);
        units += static_cast<char16_t>(little ? first | second << 8 : first << 8 | second);
    }
    return units;
}

// CR LF and a lone CR end a line, a lone LF stays in the text, only the 25 lines and the
// optional ones after them count.
std::array<std::u16string, pw::kLanguageFileLines> Split(const std::u16string& text) {
    std::array<std::u16string, pw::kLanguageFileLines> lines;
    size_t line = 0;
    for (size_t i = 0; i < text.size() && line < lines.size(); ++i) {
        if (text[i] != u'\r') {
            lines[line] += text[i];
            continue;
        }
        i += i + 1 < text.size() && text[i + 1] == u'\n' ? 1 : 0;
        ++line;
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::span<const std::byte> file(reinterpret_cast<const std::byte*>(data), size);
    Check(pw::ReadLanguageLines(file, Latin1) == Split(Decode(bytes)));

    // UTF-8 decoding: a surrogate appears only as half of a well-formed pair.
    const std::u16string decoded = pw::DecodeUtf8(bytes);
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
