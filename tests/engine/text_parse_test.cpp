// Key matching and number reading of the stage-file readers.
#include <gtest/gtest.h>

#include <clocale>

#include "engine/stagefiles/text_parse.h"

namespace {

TEST(MatchPrefix, ComparesTheGivenLength) {
    EXPECT_EQ(MatchPrefix("maptype:2", "maptype:", 8), 1);
    EXPECT_EQ(MatchPrefix("map:a", "maptype:", 8), 0);
    EXPECT_EQ(MatchPrefix("Maptype:", "maptype:", 8), 0);  // case matters
    EXPECT_EQ(MatchPrefix("scrolloffsetoff", "scrolloffsetoff:", 15), 1);
    EXPECT_EQ(MatchPrefix("ma", "map:", 4), 0);  // a shorter text differs, nothing read past it
    EXPECT_EQ(MatchPrefix("", "", 8), 1);
}

TEST(DecimalNumbers, BehaveLikeTheCLibrary) {
    EXPECT_EQ(ReadDecimalInt("  42xyz"), 42);
    EXPECT_EQ(ReadDecimalInt("-7"), -7);
    EXPECT_EQ(ReadDecimalInt("+8"), 8);
    EXPECT_EQ(ReadDecimalInt("abc"), 0);
    EXPECT_EQ(ReadDecimalInt("99999999999"), INT32_MAX);
    EXPECT_FLOAT_EQ(ReadDecimalReal(" 1000.7"), 1000.7f);
    EXPECT_FLOAT_EQ(ReadDecimalReal("-2.5e2:3"), -250.0f);
    EXPECT_FLOAT_EQ(ReadDecimalReal("x"), 0.0f);
}

TEST(DecimalNumbers, IgnoreTheProcessLocale) {
    // A locale with a decimal comma must not change how the data files read.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE locale";
    EXPECT_FLOAT_EQ(ReadDecimalReal("12.5"), 12.5f);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
