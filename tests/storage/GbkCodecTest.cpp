#include "storage/GbkCodec.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace xtq {
namespace {

TEST(GbkCodec, DecodesAndEncodesKnownCharacters) {
    struct Case {
        std::string gbk;
        std::string utf8;
    };
    const Case cases[] = {
        {"", ""},
        {"a+b*x1", "a+b*x1"},
        {" Y\xA1\xA3 ", " Y。 "},
        {"\xB1\xE4\xC1\xBF", "变量"},
        {"\xB1\xF0\xC3\xFB", "别名"},
        {"\x80", "€"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8);
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk);
    }
}

TEST(GbkCodec, InvalidBytesComeBackUnchanged) {
    const std::string cases[] = {
        "\x81",         // lead byte at the end
        "\xFF",         // never valid
        "\x81\x7F",     // 0x7F is no trail byte
        "\xA1\x20x",    // lead byte before a blank
        "\xB1\xE4\xFF", // valid pair, then an invalid byte
        "\xFE\xFE\xFE", // user-defined area that glibc does not map
    };
    for (const std::string& bytes : cases) {
        const std::string text = GbkToUtf8(bytes);
        EXPECT_EQ(Utf8ToGbk(text), bytes);
    }
    EXPECT_EQ(GbkToUtf8("\xFF"), "\xEF\x9F\xBF"); // U+F7FF
}

TEST(GbkCodec, EveryByteAndBytePairRoundTrips) {
    for (unsigned a = 0; a < 256; ++a) {
        for (unsigned b = 0; b < 256; ++b) {
            const std::string bytes = {static_cast<char>(a), static_cast<char>(b)};
            ASSERT_EQ(Utf8ToGbk(GbkToUtf8(bytes)), bytes) << a << " " << b;
        }
    }
}

TEST(GbkCodec, RandomByteStringsRoundTrip) {
    std::uint32_t state = 12345;
    for (int run = 0; run < 2000; ++run) {
        std::string bytes;
        const int length = run % 23;
        for (int i = 0; i < length; ++i) {
            state = state * 1664525u + 1013904223u;
            bytes += static_cast<char>(state >> 24);
        }
        ASSERT_EQ(Utf8ToGbk(GbkToUtf8(bytes)), bytes);
    }
}

TEST(GbkCodec, CharacterOutsideGbkIsNamed) {
    struct Case {
        std::string utf8;
        std::string named;
    };
    const Case cases[] = {
        {"a\xF0\x9F\x98\x80", "U+1F600"}, // emoji
        {"\xE0\xB8\x81", "U+0E01"},       // Thai
        // A typed raw-byte character followed by a trail byte would read back
        // as a GBK character.
        {"\xEF\x9E\xB1@", "U+F7B1"},
    };
    for (const Case& c : cases) {
        try {
            Utf8ToGbk(c.utf8);
            ADD_FAILURE() << c.named;
        } catch (const EEncodingError& e) {
            EXPECT_NE(e.message().find(c.named), std::string::npos) << e.message();
        }
    }
}

TEST(GbkCodec, InvalidUtf8IsRefused) {
    for (const std::string& text : {std::string("\xC3"), std::string("\xC0\x80"),
                                    std::string("\xED\xA0\x80"), std::string("\xFF")})
        EXPECT_THROW(Utf8ToGbk(text), EEncodingError);
}

TEST(GbkCodec, ByteLength) {
    EXPECT_EQ(GbkByteLength(""), 0u);
    EXPECT_EQ(GbkByteLength("X1"), 2u);
    EXPECT_EQ(GbkByteLength("变量x"), 5u);
    EXPECT_EQ(GbkByteLength("€"), 1u);
    EXPECT_EQ(GbkByteLength(GbkToUtf8("\xFF")), 1u);
}

} // namespace
} // namespace xtq
