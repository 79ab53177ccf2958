#include "core/language_lines.h"

#include <algorithm>
#include <cstdint>

namespace pw {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

uint8_t ByteAt(std::span<const std::byte> bytes, size_t i) {
    return static_cast<uint8_t>(bytes[i]);
}

// Cuts a sequence of code units into at most kLanguageFileLines lines by the CR LF / lone CR
// rule. `unit(i)` gives the code unit at i; CR and LF are the same value in every encoding
// here, and never occur inside a multi-unit character of ANSI code pages or UTF-8.
template <typename Unit, typename Emit>
void SplitLines(size_t count, Unit unit, Emit emit) {
    size_t line = 0;
    size_t start = 0;
    size_t i = 0;
    while (i < count && line < kLanguageFileLines) {
        if (unit(i) == u'\r') {
            emit(line++, start, i);
            i += (i + 1 < count && unit(i + 1) == u'\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    // Text after the last line end is a line of its own, as long as there is any.
    if (line < kLanguageFileLines && start < count) {
        emit(line, start, count);
    }
}

}  // namespace

DetectedEncoding DetectEncoding(std::span<const std::byte> file) {
    if (file.size() >= 3 && ByteAt(file, 0) == 0xEF && ByteAt(file, 1) == 0xBB &&
        ByteAt(file, 2) == 0xBF) {
        return {TextEncoding::Utf8, 3};
    }
    if (file.size() >= 2 && ByteAt(file, 0) == 0xFF && ByteAt(file, 1) == 0xFE) {
        return {TextEncoding::Utf16LE, 2};
    }
    if (file.size() >= 2 && ByteAt(file, 0) == 0xFE && ByteAt(file, 1) == 0xFF) {
        return {TextEncoding::Utf16BE, 2};
    }
    return {TextEncoding::Ansi, 0};
}

std::u16string DecodeUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    const size_t n = utf8.size();
    auto byte = [&](size_t k) { return static_cast<uint8_t>(utf8[k]); };
    while (i < n) {
        const uint8_t lead = byte(i);
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        size_t length = 0;
        uint32_t value = 0;
        uint32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, value = lead & 0x1Fu, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, value = lead & 0x0Fu, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, value = lead & 0x07u, minimum = 0x10000;
        } else {
            out += kReplacement;
            ++i;
            continue;
        }
        size_t taken = 1;
        while (taken < length && i + taken < n && (byte(i + taken) & 0xC0) == 0x80) {
            value = (value << 6) | (byte(i + taken) & 0x3Fu);
            ++taken;
        }
        if (taken < length || value < minimum || value > 0x10FFFF ||
            (value >= 0xD800 && value <= 0xDFFF)) {
            // The bytes read so far stand for one malformed character; the next starts after.
            out += kReplacement;
            i += taken;
            continue;
        }
        if (value >= 0x10000) {
            value -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (value >> 10));
            out += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
        } else {
            out += static_cast<char16_t>(value);
        }
        i += length;
    }
    return out;
}

size_t WholeCharactersIn(std::span<const std::byte> start, const AnsiCharacterBytes& ansiBytes) {
    const DetectedEncoding detected = DetectEncoding(start);
    const size_t begin = detected.markBytes;
    const size_t end = start.size();
    switch (detected.encoding) {
        case TextEncoding::Utf8: {
            // Back over at most three continuation bytes to the byte that leads them.
            size_t lead = end;
            while (lead > begin && end - lead < 3 && (ByteAt(start, lead - 1) & 0xC0) == 0x80) {
                --lead;
            }
            if (lead == begin) {
                return end;
            }
            const uint8_t first = ByteAt(start, --lead);
            const size_t length = first >= 0xF0 && first <= 0xF4   ? 4
                                  : first >= 0xE0 && first <= 0xEF ? 3
                                  : first >= 0xC2 && first <= 0xDF ? 2
                                                                   : 1;
            return end - lead < length ? lead : end;
        }
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE: {
            const size_t whole = begin + (end - begin) / 2 * 2;
            if (whole == begin) {
                return whole;
            }
            const uint8_t high =
                ByteAt(start, detected.encoding == TextEncoding::Utf16LE ? whole - 1 : whole - 2);
            return high >= 0xD8 && high <= 0xDB ? whole - 2 : whole;
        }
        case TextEncoding::Ansi: {
            // A trail byte can look like a lead byte, so the walk goes forwards, from just
            // after the last line end: CR and LF are never part of a multi-byte character.
            size_t i = end;
            while (i > begin && ByteAt(start, i - 1) != '\r' && ByteAt(start, i - 1) != '\n') {
                --i;
            }
            while (i < end) {
                const size_t length = std::max<size_t>(ansiBytes(ByteAt(start, i)), 1);
                if (end - i < length) {
                    return i;
                }
                i += length;
            }
            return end;
        }
    }
    return end;
}

std::array<std::u16string, kLanguageFileLines> ReadLanguageLines(std::span<const std::byte> file,
                                                                 const AnsiDecoder& decodeAnsi) {
    std::array<std::u16string, kLanguageFileLines> lines;
    const DetectedEncoding detected = DetectEncoding(file);
    const std::span<const std::byte> text = file.subspan(detected.markBytes);
    const auto chars = reinterpret_cast<const char*>(text.data());
    switch (detected.encoding) {
        case TextEncoding::Ansi:
        case TextEncoding::Utf8: {
            const bool utf8 = detected.encoding == TextEncoding::Utf8;
            SplitLines(
                text.size(), [&](size_t i) { return static_cast<char16_t>(ByteAt(text, i)); },
                [&](size_t line, size_t begin, size_t end) {
                    const std::string_view bytes(chars + begin, end - begin);
                    lines[line] = utf8 ? DecodeUtf8(bytes) : decodeAnsi(bytes);
                });
            break;
        }
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE: {
            const bool little = detected.encoding == TextEncoding::Utf16LE;
            auto unit = [&](size_t i) {
                const uint16_t first = ByteAt(text, 2 * i);
                const uint16_t second = ByteAt(text, 2 * i + 1);
                return static_cast<char16_t>(little ? first | (second << 8)
                                                    : (first << 8) | second);
            };
            SplitLines(text.size() / 2, unit, [&](size_t line, size_t begin, size_t end) {
                std::u16string& target = lines[line];
                target.reserve(end - begin);
                for (size_t i = begin; i < end; ++i) {
                    target += unit(i);
                }
            });
            break;
        }
    }
    return lines;
}

}  // namespace pw
