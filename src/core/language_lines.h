// The line rules of a language file: its text decoded by the byte-order mark it starts with
// (none means the system's ANSI code page), cut into lines, of which the first 25 count, and
// after them the optional lines of the captions that later versions added.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace pw {

inline constexpr size_t kLanguageLines = 25;
// Lines after the 25th that a file may hold; a missing one is read as empty.
inline constexpr size_t kOptionalLanguageLines = 2;
inline constexpr size_t kLanguageFileLines = kLanguageLines + kOptionalLanguageLines;

enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

struct DetectedEncoding {
    TextEncoding encoding;
    size_t markBytes;  // the byte-order mark's length, 0 without one
};

// UTF-8 (EF BB BF), UTF-16 LE (FF FE) and UTF-16 BE (FE FF) by their byte-order mark;
// anything else is text in the ANSI code page.
DetectedEncoding DetectEncoding(std::span<const std::byte> file);

// Turns one line of ANSI bytes into UTF-16; the system's code page lives outside the core.
using AnsiDecoder = std::function<std::u16string(std::string_view)>;

// The first 25 lines of a language file and the optional ones after them, as UTF-16 texts.
// CR LF and a lone CR end a line; a lone LF stays in the text; nothing is trimmed. A file with
// fewer lines leaves the rest empty, and lines after the last optional one are never looked
// at. Malformed UTF-8 becomes U+FFFD, and an odd last byte of a UTF-16 file is dropped.
std::array<std::u16string, kLanguageFileLines> ReadLanguageLines(std::span<const std::byte> file,
                                                                 const AnsiDecoder& decodeAnsi);

// How many bytes the character of the system's ANSI code page that starts with `lead` takes.
using AnsiCharacterBytes = std::function<size_t(uint8_t)>;

// How much of `start`, the first bytes of a longer file, holds whole characters: a character
// cut at the end goes (part of a UTF-8 sequence, an odd byte or the first half of a surrogate
// pair in UTF-16, part of an ANSI multi-byte character). A CR whose LF was cut off still ends
// its line, so it stays.
size_t WholeCharactersIn(std::span<const std::byte> start, const AnsiCharacterBytes& ansiBytes);

// UTF-8 to UTF-16; every malformed or overlong sequence, surrogate and value beyond U+10FFFF
// becomes U+FFFD.
std::u16string DecodeUtf8(std::string_view utf8);

}  // namespace pw
