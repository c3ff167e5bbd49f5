#include "huedata/hue_text.h"

#include "tools/hue_image.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace {

using huedata::HexText;
using huedata::HueNameText;
using huetools::NameBytes;

TEST(HexText, UpperCaseWithoutLeadingZerosAndTwosComplementForNegatives) {
    const std::pair<std::int16_t, const char*> cases[] = {
        {0, "0"},         {0x1F, "1F"},        {0x0ABC, "ABC"},
        {0x7FFF, "7FFF"}, {INT16_MIN, "8000"}, {-1, "FFFF"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(HexText(value), text);
    EXPECT_EQ(huedata::Color15Text(0x7C00), "0x7C00");
    EXPECT_EQ(huedata::Color15Text(0x001F), "0x001F");
    EXPECT_EQ(huedata::Color15Text(-1), "0xFFFF");
    EXPECT_EQ(huedata::RgbText({0, 8, 255}), "#0008FF");
}

TEST(HueNameText, StopsAtTheFirstZeroByteAndDecodesWindows1252) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"Abc", u"Abc"},
        {"", u""},
        {std::string("AB\0CD", 5), u"AB"},
        {"ABCDEFGHIJKLMNOPQRST", u"ABCDEFGHIJKLMNOPQRST"},  // all twenty bytes: no zero
        {"Cr\xE8me br\xFBl\xE9"
         "e",
         u"Cr\u00E8me br\u00FBl\u00E9e"},
        {"\x80\x8A\x9F\xFF", u"\u20AC\u0160\u0178\u00FF"},
        // Bytes Windows-1252 leaves undefined keep their own code point rather than vanish.
        {"\x81\x8D", u"\u0081\u008D"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(HueNameText(NameBytes(bytes)), text) << bytes;
}

// Listings must read alike on every system: Windows-1252 by our own table, never the system's
// code page, and every byte given back by its text but the five Windows-1252 leaves undefined,
// which a listing also gives as bytes.
TEST(HueNameUtf8Text, IsWindows1252OnEverySystemAndGivesEveryByteBack) {
    for (int byte = 1; byte < 256; ++byte) {
        const auto name = NameBytes(std::string(20, static_cast<char>(byte)));
        const std::string text = huedata::HueNameUtf8Text(name);
        ASSERT_EQ(text, huedata::Utf8FromWindows1252(std::string(20, static_cast<char>(byte))));
        EXPECT_EQ(huedata::HueNameBytes(text), name) << byte;
        const bool undefined =
            byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        EXPECT_EQ(huedata::HueNameRoundTrips(name), !undefined) << byte;
    }
    EXPECT_EQ(huedata::HueNameUtf8Text(NameBytes(std::string("Cr\xE8me\0x", 7))), "Cr\xC3\xA8me");
    EXPECT_FALSE(huedata::HueNameRoundTrips(NameBytes(std::string("Cr\xE8me\0x", 7))));
}

// Each length of sequence both ways; what is not UTF-8, or an unpaired surrogate, replaced.
TEST(Utf8Text, EncodesAndDecodesEveryLengthAndReplacesWhatIsNotText) {
    const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8C\x88";
    EXPECT_EQ(huedata::Utf8Text(u"A\u00E9\u20AC\U0001F308"), utf8);
    EXPECT_EQ(huedata::Utf16Text(utf8), u"A\u00E9\u20AC\U0001F308");
    EXPECT_EQ(huedata::Utf8Text(std::u16string{u'x', char16_t{0xD800}, u'y'}), "x\xEF\xBF\xBDy");
    EXPECT_EQ(huedata::Utf8Text(std::u16string{char16_t{0xDC00}}), "\xEF\xBF\xBD");
    // A stray continuation, an overlong form, an encoded surrogate and a cut-off sequence.
    EXPECT_EQ(huedata::Utf16Text("\x80x\xC0\xAF\xED\xA0\x80\xE2\x82"),
              u"\uFFFDx\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(WriteStoredAsRgbText, WritesWhatConvertColorGivesForEveryStoredValue) {
    for (int value = -32768; value <= 32767; ++value) {
        const auto stored = static_cast<huedata::Color15>(value);
        std::string text(7, '\0');
        huedata::WriteStoredAsRgbText(text.data(), stored);
        ASSERT_EQ(text, huedata::RgbText(huedata::ConvertColor(stored))) << value;
    }
}

// Every reader of a number from text takes the whole text or nothing.
TEST(NumberFromText, TakesTheWholeTextOrNothing) {
    using huedata::NumberFromText;
    const std::pair<std::string_view, std::optional<int>> integers[] = {
        {"42", 42},
        {"-7", -7},
        {"", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"+1", std::nullopt},
        {"1.5", std::nullopt},
        {"99999999999", std::nullopt}};
    for (const auto& [text, expected] : integers)
        EXPECT_EQ(NumberFromText<int>(text), expected) << text;
    EXPECT_EQ(NumberFromText<unsigned>("-1"), std::nullopt);
    EXPECT_EQ(NumberFromText<std::int16_t>("32768"), std::nullopt);
    EXPECT_EQ(NumberFromText<std::uint32_t>("fF", 16), 255U);
    EXPECT_EQ(NumberFromText<std::uint32_t>("0x10", 16), std::nullopt);
    EXPECT_EQ(NumberFromText<double>("0.37"), 0.37);
    EXPECT_EQ(NumberFromText<double>("1e-1"), 0.1);
    EXPECT_EQ(NumberFromText<double>("0.5,"), std::nullopt);
}

}  // namespace
