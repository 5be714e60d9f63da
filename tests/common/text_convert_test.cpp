#include "common/text_convert.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const std::string& bytes)
{
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X ", c);
        out += b;
    }
    return out;
}

std::u16string Converted(const clsA2W& a2w)
{
    return std::u16string(a2w.GetBuffer(), static_cast<size_t>(a2w.GetLength()));
}

}  // namespace

TEST(IsValidUtf8, StrictRules)
{
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"abc,123", true},
        {std::string("a\0b", 3), true},
        {"\xC2\x80", true},                 // U+0080, smallest 2-byte
        {"\xDF\xBF", true},                 // U+07FF
        {"\xE0\xA0\x80", true},             // U+0800, smallest 3-byte
        {"\xED\x9F\xBF", true},             // U+D7FF, just below the surrogates
        {"\xEE\x80\x80", true},             // U+E000, just above them
        {"\xEF\xBF\xBF", true},             // U+FFFF
        {"\xF0\x90\x80\x80", true},         // U+10000, smallest 4-byte
        {"\xF4\x8F\xBF\xBF", true},         // U+10FFFF
        {"\xE9\x80\x9A\xE9\x81\x93", true}, // 通道
        {"\xC0\x80", false},                // overlong NUL
        {"\xC1\xBF", false},                // overlong 2-byte
        {"\xE0\x9F\xBF", false},            // overlong 3-byte
        {"\xF0\x8F\xBF\xBF", false},        // overlong 4-byte
        {"\xED\xA0\x80", false},            // U+D800 surrogate
        {"\xED\xBF\xBF", false},            // U+DFFF surrogate
        {"\xF4\x90\x80\x80", false},        // U+110000
        {"\xF5\x80\x80\x80", false},
        {"\xFF", false},
        {"\x80", false},                    // continuation without a lead
        {"a\xE9\x80", false},               // truncated at the end
        {"\xE9\x80" "a", false},            // truncated before ASCII
        {"\xCD\xA8\xB5\xC0", false},        // 通道 in GB18030
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidUtf8(c.bytes.data(), c.bytes.size()), c.valid) << Hex(c.bytes);
}

TEST(DecodeText, ByTheSourcesEncodingOnly)
{
    constexpr TextEncoding U = TextEncoding::Utf8, G = TextEncoding::Gb18030;
    struct Case {
        std::string bytes;
        TextEncoding encoding;
        std::u16string text;
    };
    const Case cases[] = {
        {"", U, u""},
        {"Time,CH1", G, u"Time,CH1"},
        {"\xE9\x80\x9A\xE9\x81\x93", U, u"通道"},
        {"\xCD\xA8\xB5\xC0", G, u"通道"},
        {"\xCE\xC2\xB6\xC8\xA1\xE6", G, u"温度℃"},
        {"\x94\x39\xFC\x36", G, u"😀"},                  // GB18030 four-byte form
        {"\xF0\x9F\x98\x80", U, u"😀"},
        // GB18030 pairs that are also valid UTF-8 read as GB18030 in a GB18030 source.
        {"\xD2\xBA\xCE\xBB", G, u"液位"},
        {"\xD7\xB4\xCC\xAC", G, u"状态"},
        {"\xCD\xA8", U, u"\u0368"},
        {"\xEF\xBB\xBF" "A", U, u"\uFEFFA"},             // a name's own U+FEFF stays
        {"A\xD6\xD0\xB9", G, u"A中\uFFFD"},            // an unfinished last character
        {"A\x81\x30\x81", G, u"A\uFFFD"},              // is U+FFFD, four-byte forms too
        {"A\xEF\xBB\xBF", U, u"A\uFEFF"},
        {"A\xFF" "B", U, u"A\uFFFDB"},                    // a bad sequence is U+FFFD
        {"\xE2\x84\x83", U, u"℃"},
    };
    for (const Case& c : cases) {
        const QString text = DecodeText(c.bytes.data(), c.bytes.size(), c.encoding);
        EXPECT_EQ(text.toStdU16String(), c.text) << Hex(c.bytes);
    }
    // A standalone value (a settings value) is UTF-8 when valid, else GB18030.
    EXPECT_EQ(EncodingOfValue("\xE2\x84\x83", 3), U);
    EXPECT_EQ(EncodingOfValue("\xA1\xE6", 2), G);
    EXPECT_EQ(EncodingOfValue("", 0), U);
}

// Cut where a character starts; an unfinished last character goes whole.
TEST(CutUtf8, NeverInsideACharacter)
{
    const struct {
        const char* text;
        size_t limit;
        const char* cut;
    } cases[] = {
        {"ab℃", 5, "ab℃"}, {"ab℃", 4, "ab"}, {"ab℃", 3, "ab"}, {"a😀", 4, "a"},
        {"a\xE2\x84", 9, "a"}, {"\x84", 9, "\x84"},  // a lone continuation byte is not cut here
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutUtf8(c.text, c.limit), c.cut) << c.text << " at " << c.limit;
}

TEST(clsA2W, ConvertsByItsEncoding)
{
    clsA2W utf8("\xE9\x80\x9A\xE9\x81\x93");
    EXPECT_EQ(Converted(utf8), u"通道");
    clsA2W gb("\xCD\xA8\xB5\xC0" "1", 512, TextEncoding::Gb18030);
    EXPECT_EQ(Converted(gb), u"通道1");
    clsA2W pair("\x94\x39\xFC\x36", 512, TextEncoding::Gb18030);
    EXPECT_EQ(pair.GetLength(), 2);  // a surrogate pair counts as two
    EXPECT_EQ(pair.GetBuffer()[2], u'\0');
}

TEST(clsA2W, GrowsOnlyWhenTheBytesDoNotFit)
{
    struct Case {
        size_t bytes;
        int capacity;
        int expectedCapacity;
    };
    const Case cases[] = {
        {600, 512, 601},
        {511, 512, 512},
        {512, 512, 513},
        {0, 512, 512},
        {5, 1, 6},
        {5, 0, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bytes) + " bytes, capacity " + std::to_string(c.capacity));
        std::string text(c.bytes, 'x');
        for (size_t i = 0; i < text.size(); i += 7)
            text[i] = static_cast<char>('a' + i % 26);
        clsA2W a2w(text.c_str(), c.capacity);
        EXPECT_EQ(a2w.GetCapacity(), c.expectedCapacity);
        EXPECT_EQ(a2w.GetLength(), static_cast<int>(c.bytes));
        EXPECT_EQ(Converted(a2w), QString::fromLatin1(text.c_str()).toStdU16String());
        EXPECT_EQ(a2w.GetBuffer()[a2w.GetLength()], u'\0');
    }
}

TEST(clsA2W, EmptyAndNullGiveEmptyTerminatedText)
{
    for (const char* text : {"", static_cast<const char*>(nullptr)}) {
        clsA2W a2w(text);
        EXPECT_EQ(a2w.GetLength(), 0);
        ASSERT_NE(a2w.GetBuffer(), nullptr);
        EXPECT_EQ(a2w.GetBuffer()[0], u'\0');
    }
}

TEST(clsA2W, ReuseTerminatesAfterTheShorterText)
{
    clsA2W a2w("Channel 12", 512, TextEncoding::Gb18030);
    EXPECT_EQ(a2w.Convert("\xCD\xA8\xB5\xC0"), 2);
    EXPECT_EQ(std::u16string(a2w.GetBuffer()), u"通道");
    EXPECT_EQ(a2w.Convert(""), 0);
    EXPECT_EQ(a2w.GetBuffer()[0], u'\0');
    EXPECT_EQ(a2w.GetCapacity(), 512);
}
