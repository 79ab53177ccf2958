#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/language_lines.h"

namespace pw {
namespace {

// Stands in for the system's code page: every byte is the character of that number.
std::u16string Latin1(std::string_view bytes) {
    std::u16string text;
    for (const char c : bytes) {
        text += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    return text;
}

std::vector<std::byte> Bytes(std::string_view text) {
    std::vector<std::byte> bytes;
    for (const char c : text) {
        bytes.push_back(static_cast<std::byte>(c));
    }
    return bytes;
}

std::vector<std::byte> Utf16(std::u16string_view text, bool little, bool mark) {
    std::vector<std::byte> bytes;
    auto put = [&](char16_t unit) {
        const auto hi = static_cast<std::byte>(unit >> 8);
        const auto lo = static_cast<std::byte>(unit & 0xFF);
        bytes.push_back(little ? lo : hi);
        bytes.push_back(little ? hi : lo);
    };
    if (mark) {
        put(0xFEFF);
    }
    for (const char16_t unit : text) {
        put(unit);
    }
    return bytes;
}

std::array<std::u16string, kLanguageFileLines> Read(const std::vector<std::byte>& file) {
    return ReadLanguageLines(file, Latin1);
}

std::vector<std::u16string> Expect(std::initializer_list<std::u16string> given) {
    std::vector<std::u16string> lines(given);
    lines.resize(kLanguageFileLines);
    return lines;
}

std::vector<std::u16string> AsVector(const std::array<std::u16string, kLanguageFileLines>& lines) {
    return {lines.begin(), lines.end()};
}

TEST(LanguageLinesTest, LineEndsAndSpaces) {
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {"empty file", "", Expect({})},
        {"CR LF", "one\r\ntwo\r\n", Expect({u"one", u"two"})},
        {"lone CR", "one\rtwo\rthree", Expect({u"one", u"two", u"three"})},
        {"lone LF stays in the text", "one\ntwo\r\nthree", Expect({u"one\ntwo", u"three"})},
        {"LF CR is a line with an LF, then the end", "a\n\rb", Expect({u"a\n", u"b"})},
        {"empty lines count", "\r\n\r\nthird\r\n", Expect({u"", u"", u"third"})},
        {"CR CR LF", "a\r\r\nb", Expect({u"a", u"", u"b"})},
        {"no end on the last line", "last", Expect({u"last"})},
        {"spaces and tabs are kept", "  lead\r\ntrail  \r\n\tboth \r\n",
         Expect({u"  lead", u"trail  ", u"\tboth "})},
        {"no escapes or comments", "a\\nb\r\n; c\r\n# d=e\r\n&F\r\n",
         Expect({u"a\\nb", u"; c", u"# d=e", u"&F"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AsVector(Read(Bytes(c.file))), c.lines);
    }
}

std::string Numbered(int count, const char* end) {
    std::string file;
    for (int i = 1; i <= count; ++i) {
        file += "line " + std::to_string(i) + end;
    }
    return file;
}

TEST(LanguageLinesTest, TheTwentyFiveLinesAndTheOptionalOnesAfterThemCount) {
    // 25 lines and none of the optional ones, one of them, both, and more than both.
    for (const int count : {10, 25, 26, 27, 30}) {
        SCOPED_TRACE(count);
        const auto lines = Read(Bytes(Numbered(count, "\r\n")));
        for (int i = 0; i < 27; ++i) {
            const std::string want = i < count ? "line " + std::to_string(i + 1) : "";
            EXPECT_EQ(lines[static_cast<size_t>(i)], Latin1(want)) << "line " << i + 1;
        }
    }
    // A line after the last one read, with no end of its own, is not glued onto it.
    const auto lines = Read(Bytes(Numbered(27, "\r") + "extra"));
    EXPECT_EQ(lines[26], u"line 27");
}

TEST(LanguageLinesTest, EncodingsByByteOrderMark) {
    const std::u16string text = u"文件(&F)\r\n影雀 ✓ 𝄞\r\nline\nthree\r";
    const std::vector<std::u16string> want = Expect({u"文件(&F)", u"影雀 ✓ 𝄞", u"line\nthree"});
    // UTF-8 with its mark, written out by hand.
    const std::string utf8 =
        "\xEF\xBB\xBF\xE6\x96\x87\xE4\xBB\xB6(&F)\r\n\xE5\xBD\xB1\xE9\x9B\x80 \xE2\x9C\x93 "
        "\xF0\x9D\x84\x9E\r\nline\nthree\r";
    EXPECT_EQ(AsVector(Read(Bytes(utf8))), want);
    EXPECT_EQ(AsVector(Read(Utf16(text, true, true))), want);
    EXPECT_EQ(AsVector(Read(Utf16(text, false, true))), want);
    // Without a mark the bytes go to the ANSI decoder line by line, line ends removed.
    std::vector<std::string> seen;
    const auto ansi = ReadLanguageLines(Bytes("\xB0\xEF\r\nb"), [&](std::string_view bytes) {
        seen.emplace_back(bytes);
        return Latin1(bytes);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"\xB0\xEF", "b"}));
    EXPECT_EQ(ansi[0], u"\u00B0\u00EF");
    // A UTF-8 mark alone, and a UTF-16 file with an odd last byte.
    EXPECT_EQ(AsVector(Read(Bytes("\xEF\xBB\xBF"))), Expect({}));
    std::vector<std::byte> odd = Utf16(u"ab\r\ncd", true, true);
    odd.push_back(std::byte{0x41});
    EXPECT_EQ(AsVector(Read(odd)), Expect({u"ab", u"cd"}));
    // A byte-order mark's look-alike in the middle is text.
    EXPECT_EQ(DetectEncoding(Bytes("a\xEF\xBB\xBF")).encoding, TextEncoding::Ansi);
}

TEST(LanguageLinesTest, AFileCutShortKeepsItsWholeCharacters) {
    // A double-byte code page: 0x81 to 0xFE lead, and a trail byte may look like a lead.
    const auto doubleByte = [](uint8_t lead) -> size_t {
        return lead >= 0x81 && lead <= 0xFE ? 2 : 1;
    };
    struct Case {
        const char* name;
        std::vector<std::byte> start;
        size_t whole;
    };
    const Case cases[] = {
        {"UTF-8, whole", Bytes("\xEF\xBB\xBF\xE6\x96\x87"), 6},
        {"UTF-8, one byte of three", Bytes("\xEF\xBB\xBF\xE6\x96\x87\xE5"), 6},
        {"UTF-8, two bytes of three", Bytes("\xEF\xBB\xBF\xE6\x96\x87\xE5\xBD"), 6},
        {"UTF-8, three bytes of four", Bytes("\xEF\xBB\xBFz\xF0\x9F\x98"), 4},
        {"UTF-8, four bytes of four", Bytes("\xEF\xBB\xBFz\xF0\x9F\x98\x80"), 8},
        {"UTF-8, a stray continuation byte stays", Bytes("\xEF\xBB\xBFz\x80"), 5},
        {"UTF-16 LE, an odd byte", Bytes(std::string_view("\xFF\xFEz\0y\0A", 7)), 6},
        {"UTF-16 LE, half a pair", Utf16(u"a\xD83D", true, true), 4},
        {"UTF-16 BE, half a pair", Utf16(u"a\xD83D", false, true), 4},
        {"UTF-16 LE, a whole pair", Utf16(u"a\U0001F600", true, true), 8},
        {"ANSI, a lead byte", Bytes("ab\xB0"), 2},
        {"ANSI, a whole character", Bytes("ab\xB0\xA1"), 4},
        {"ANSI, a trail byte that looks like a lead", Bytes("\xB0\xB0\xB0"), 2},
        {"ANSI, a lead byte after a line end", Bytes("\xB0\r\xB0"), 2},
        {"ANSI, a CR whose LF was cut off", Bytes("ab\r"), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WholeCharactersIn(c.start, doubleByte), c.whole);
    }
}

TEST(LanguageLinesTest, MalformedUtf8BecomesReplacementCharacters) {
    struct Case {
        const char* bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"a\x80z", u"a\uFFFDz"},              // a stray continuation byte
        {"a\xE6\x96z", u"a\uFFFDz"},          // cut short
        {"\xC0\xAF", u"\uFFFD\uFFFD"},        // C0 never leads
        {"\xE0\x80\xAF", u"\uFFFD"},          // overlong
        {"\xED\xA0\x80", u"\uFFFD"},          // a surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD"},      // beyond U+10FFFF
        {"\xF0\x9F\x98\x80", u"\U0001F600"},  // a pair
        {"\xE6\x96\x87", u"文"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(DecodeUtf8(c.bytes), c.text);
    }
}

}  // namespace
}  // namespace pw
