#include <gtest/gtest.h>

#include "model/WideText.h"

namespace q9 {
namespace {

TEST(WideText, RoundTripsChineseAndAstralCharacters) {
  const std::string text = "宏 1 \xF0\x9F\x8E\xAE Mouse";  // includes U+1F3AE, a surrogate pair in UTF-16
  const std::u16string wide = Utf16FromUtf8(text);
  EXPECT_EQ(wide.size(), 12u);
  EXPECT_EQ(Utf8FromUtf16(wide), text);
}

TEST(WideText, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf16FromUtf8("a\xC0\xAFz"), u"a\uFFFDz") << "overlong form";
  EXPECT_EQ(Utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD") << "encoded surrogate";
  EXPECT_EQ(Utf16FromUtf8("\xE4\xB8"), u"\uFFFD") << "cut-off sequence";
  const char16_t lone[] = {u'x', 0xD800, u'y', 0};
  EXPECT_EQ(Utf8FromUtf16(lone), "x\xEF\xBF\xBDy");
}

TEST(WideText, FieldWithoutTerminatorStopsAtItsLimit) {
  WideChar field[4] = {u'a', u'b', u'c', u'd'};
  EXPECT_EQ(WideFieldText(field, 4), u"abcd");
  EXPECT_EQ(WideFieldText(field, 2), u"ab");
  EXPECT_TRUE(SetWideField(field, 4, u"z"));
  EXPECT_EQ(field[1], u'\0');
  EXPECT_EQ(field[3], u'\0') << "units after the terminator are cleared";
  EXPECT_FALSE(SetWideField(field, 4, std::u16string(u"a\0b", 3))) << "an embedded NUL would cut the text";
}

}  // namespace
}  // namespace q9
