// The compile-time and run-time CP932 conversions agree with iconv.
#include <gtest/gtest.h>

#include "platform/text/cp932.h"

namespace {

TEST(Cp932, CompileTimeMatchesIconv) {
    constexpr auto title = text::Cp932(u8"ＶＥＬＤＲＡＮ　ＱＵＯＲＬ ver.1.01");
    constexpr auto kana = text::Cp932(u8"ｱｲｳ タイトルに戻る(&R)");
    std::string viaIconv;
    ASSERT_TRUE(text::Utf8ToCp932("ＶＥＬＤＲＡＮ　ＱＵＯＲＬ ver.1.01", &viaIconv));
    EXPECT_EQ(std::string(title.view()), viaIconv);
    ASSERT_TRUE(text::Utf8ToCp932("ｱｲｳ タイトルに戻る(&R)", &viaIconv));
    EXPECT_EQ(std::string(kana.view()), viaIconv);
    // Half-width katakana is one byte; full-width characters two.
    EXPECT_EQ(static_cast<uint8_t>(kana.bytes[0]), 0xB1);
    EXPECT_EQ(kana.length, 3u + 1u + 2u * 7u + 4u);
}

TEST(Cp932, KnownCodes) {
    constexpr auto s = text::Cp932(u8"あ漢\\~");
    EXPECT_EQ(static_cast<uint8_t>(s.bytes[0]), 0x82);
    EXPECT_EQ(static_cast<uint8_t>(s.bytes[1]), 0xA0);
    EXPECT_EQ(static_cast<uint8_t>(s.bytes[2]), 0x8A);
    EXPECT_EQ(static_cast<uint8_t>(s.bytes[3]), 0xBF);
    EXPECT_EQ(s.bytes[4], '\\');
    EXPECT_EQ(s.bytes[5], '~');
}

TEST(Cp932, RoundTripAndBadBytes) {
    std::string sjis, back;
    ASSERT_TRUE(text::Utf8ToCp932("メモリが足りません。", &sjis));
    ASSERT_TRUE(text::Cp932ToUtf8(sjis, &back));
    EXPECT_EQ(back, "メモリが足りません。");
    // A lone lead byte cannot be converted: it becomes '?' and the call reports it.
    EXPECT_FALSE(text::Cp932ToUtf8(std::string("a\x82", 2), &back));
    EXPECT_EQ(back, "a?");
    EXPECT_TRUE(text::IsCp932LeadByte(0x82));
    EXPECT_FALSE(text::IsCp932LeadByte(0xB1));
}

}  // namespace
