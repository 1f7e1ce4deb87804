#include <gtest/gtest.h>

#include "TestSupport.h"
#include "lang/LanguageFile.h"
#include "lang/uiLanguage.h"
#include "platform/fake/FakeSystemLocale.h"

namespace q9 {
namespace {

using test::Bytes;

LanguageResources ThreeLanguages() {
  LanguageResources r;
  r.originals = {"APPLY", "Save", "Warning!", "Ratio"};
  r.languages = {{"0409", {}},
                 {"0804", {{"APPLY", "应用"}, {"Save", ""}, {"Warning!", "警告！"}, {"Ratio", "甲=乙"}}},
                 {"0404", {{"APPLY", "套用"}, {"Warning!", "警告！"}}}};
  return r;
}

void AppendInt32(Bytes& b, std::int32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
}

TEST(LanguageFile, RoundTripAndLookups) {
  const Bytes bytes = SerializeLanguageFile(ThreeLanguages());
  LanguageResources read;
  std::string error;
  ASSERT_TRUE(ParseLanguageFile(bytes, read, error)) << error;
  EXPECT_EQ(read.originals, ThreeLanguages().originals);
  ASSERT_EQ(read.languages.size(), 3u);
  EXPECT_EQ(read.languages[1].translations, ThreeLanguages().languages[1].translations)
      << "a translation may hold '=': the first one separates it from its original";
  EXPECT_EQ(SerializeLanguageFile(read), bytes);
  EXPECT_EQ(GetLanguageIndexByShortID(read, "0804"), 1);
  EXPECT_EQ(GetLanguageIndexByShortID(read, "US"), -1);
  EXPECT_EQ(GetLanguageShortIDByIndex(read, 2), "0404");
  EXPECT_EQ(GetLanguageShortIDByIndex(read, 3), "");
  EXPECT_EQ(GetLanguageShortIDByIndex(read, -1), "");
}

TEST(LanguageFile, TheLayoutIsLengthPrefixedUtf16) {
  LanguageResources r;
  r.originals = {"A", "B"};
  r.languages = {{"X", {{"A", "\xC3\xA9"}}}};
  Bytes expected;
  AppendInt32(expected, 4);
  for (char16_t u : std::u16string(u"A\r\nB")) expected.insert(expected.end(), {std::uint8_t(u), 0});
  AppendInt32(expected, 1);
  AppendInt32(expected, 1);
  expected.insert(expected.end(), {'X', 0});
  AppendInt32(expected, 3);
  expected.insert(expected.end(), {'A', 0, '=', 0, 0xE9, 0});
  EXPECT_EQ(SerializeLanguageFile(r), expected);
}

TEST(LanguageFile, TranslationRule) {
  const LanguageResources r = ThreeLanguages();
  const TLanguageResource* chinese = &r.languages[1];
  EXPECT_EQ(TranslateText(chinese, "APPLY"), "应用");
  EXPECT_EQ(TranslateText(chinese, "Save"), "Save") << "an empty translation leaves the text";
  EXPECT_EQ(TranslateText(chinese, "apply"), "apply") << "case-sensitive";
  EXPECT_EQ(TranslateText(chinese, "Other"), "Other");
  EXPECT_EQ(TranslateText(chinese, ""), "");
  EXPECT_EQ(TranslateText(chinese, "Ratio"), "甲=乙");
  EXPECT_EQ(TranslateText(nullptr, "APPLY"), "APPLY");
  // A key table's text kept with a trailing blank finds the translation of the text without it.
  EXPECT_EQ(TranslateText(chinese, "APPLY "), "应用 ");
  EXPECT_EQ(TranslateText(chinese, " APPLY  "), " 应用  ");
  EXPECT_EQ(TranslateText(chinese, "Save "), "Save ");
  EXPECT_EQ(TranslateText(chinese, "   "), "   ");
  EXPECT_EQ(OriginalOfText(chinese, "警告！"), "Warning!");
  EXPECT_EQ(OriginalOfText(chinese, "Save"), "Save");
}

TEST(LanguageFile, ZeroLanguagesStillLoadTheOriginals) {
  LanguageResources r;
  r.originals = {"OK"};
  LanguageResources read;
  std::string error;
  ASSERT_TRUE(ParseLanguageFile(SerializeLanguageFile(r), read, error));
  EXPECT_EQ(read.originals, r.originals);
  EXPECT_TRUE(read.languages.empty());
}

// Every cut-off copy of a good file, and files with hostile numbers, are refused whole.
TEST(LanguageFile, DamagedFilesAreRefusedAndChangeNothing) {
  const Bytes good = SerializeLanguageFile(ThreeLanguages());
  LanguageResources kept;
  kept.originals = {"kept"};
  std::string error;
  for (std::size_t size = 0; size < good.size(); ++size) {
    LanguageResources out = kept;
    ASSERT_FALSE(ParseLanguageFile({good.data(), size}, out, error)) << size;
    ASSERT_EQ(out.originals, kept.originals);
  }
  Bytes negative;
  AppendInt32(negative, -1);
  Bytes huge;
  AppendInt32(huge, 0x7FFFFFFF);
  Bytes manyLanguages;
  AppendInt32(manyLanguages, 0);
  AppendInt32(manyLanguages, 0x7FFFFFFF);
  Bytes negativeCount;
  AppendInt32(negativeCount, 0);
  AppendInt32(negativeCount, -5);
  for (const Bytes& bad : {negative, huge, manyLanguages, negativeCount}) {
    LanguageResources out = kept;
    EXPECT_FALSE(ParseLanguageFile(bad, out, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(out.originals, kept.originals);
  }
}

TEST(LanguageFile, LoadRefusesMissingAndOversizedFiles) {
  test::TempFolder folder;
  LanguageResources out;
  std::string error;
  EXPECT_FALSE(LoadLanguageFile(folder.path() / "ui.local", out, error));
  EXPECT_FALSE(LoadLanguageFile(folder.path(), out, error)) << "a folder";
  test::WriteFile(folder.path() / "ui.local", SerializeLanguageFile(ThreeLanguages()));
  ASSERT_TRUE(LoadLanguageFile(folder.path() / "ui.local", out, error)) << error;
  EXPECT_EQ(out.languages.size(), 3u);
  std::filesystem::resize_file(folder.path() / "ui.local", kLargestLanguageFile + 1);
  EXPECT_FALSE(LoadLanguageFile(folder.path() / "ui.local", out, error));
}

}  // namespace
}  // namespace q9

namespace q9 {
namespace {

TEST(TranslationTable, BuildsTheThreeShippedLanguages) {
  LanguageResources r;
  std::string error;
  ASSERT_TRUE(LanguageResourcesFromTable("English\t0804\t0404\r\nAPPLY\t应用\t套用\r\n\r\nSave\t保存\t儲存\n", r, error)) << error;
  EXPECT_EQ(r.originals, (std::set<std::string>{"APPLY", "Save"}));
  ASSERT_EQ(r.languages.size(), 3u);
  EXPECT_EQ(GetLanguageIndexByShortID(r, "0804"), 1);
  EXPECT_TRUE(r.languages[0].translations.empty());
  EXPECT_EQ(TranslateText(&r.languages[2], "Save"), "儲存");
  for (const char* bad : {"h\nno tabs\n", "h\na\tb\n", "h\na\tb\tc\td\n", "h\n\tb\tc\n"})
    EXPECT_FALSE(LanguageResourcesFromTable(bad, r, error)) << bad;
  EXPECT_NE(error.find("line 2"), std::string::npos);
}

// The shipped ui.local is the translation table, built.
TEST(TranslationTable, ShippedLanguageFileMatchesTheTable) {
  const auto table = test::ReadFile(std::filesystem::path(Q9_TEST_DATA) / ".." / ".." / "data" / "translations.tsv");
  LanguageResources fromTable;
  std::string error;
  ASSERT_TRUE(LanguageResourcesFromTable(std::string(table.begin(), table.end()), fromTable, error)) << error;
  EXPECT_EQ(test::ReadFile(std::filesystem::path(Q9_TEST_DATA) / ".." / ".." / "data" / "ui.local"),
            SerializeLanguageFile(fromTable))
      << "rebuild data/ui.local with q9lang data/translations.tsv data/ui.local";
  for (const char* text : {"APPLY", "Warning!", "Please connect your mouse device before apply new settings!"}) {
    EXPECT_TRUE(fromTable.originals.count(text)) << text;
    EXPECT_NE(TranslateText(&fromTable.languages[1], text), text) << text;
    EXPECT_NE(TranslateText(&fromTable.languages[2], text), text) << text;
  }
}

}  // namespace
}  // namespace q9

namespace q9 {
namespace {

TEST(TuiLanguage, SelectingALanguageRetranslatesEveryFormThenTellsOnce) {
  FakeSystemLocale locale("0804");
  LanguageResources r;
  r.originals = {"APPLY"};
  r.languages = {{"0409", {}}, {"0804", {{"APPLY", "应用"}}}, {"0404", {{"APPLY", "套用"}}}};
  TuiLanguage language(locale, r);
  std::vector<std::string> events;
  language.RegisterForm([&](const TuiLanguage& l) { events.push_back("form1:" + l.Translate("APPLY")); });
  const int second = language.RegisterForm([&](const TuiLanguage& l) { events.push_back("form2:" + l.Translate("APPLY")); });
  language.OnLanguageChanged = [&](const std::string& id, const std::string& name) { events.push_back("changed:" + id + ":" + name); };
  EXPECT_EQ(language.uiParentFormCount(), 2);
  language.SetLang("0404");
  EXPECT_EQ(events, (std::vector<std::string>{"form1:套用", "form2:套用", "changed:0404:中文(台灣)"}));
  language.SetLang("XX");
  EXPECT_EQ(language.Translate("APPLY"), "套用") << "an unknown name keeps the translation";
  EXPECT_EQ(language.Lang(), "XX");
  language.SetLang("en");
  EXPECT_EQ(language.Translate("APPLY"), "APPLY");
  language.UnregisterForm(second);
  EXPECT_EQ(language.uiParentFormCount(), 1);
  EXPECT_EQ(language.GetOSDefaultLang(), "0804");
  EXPECT_EQ(language.GetLanguageLongNameByLangID("0804"), "中文(中华人民共和国)");
  EXPECT_EQ(language.GetLanguageLongNameByShortID("US"), "");
}

TEST(TuiLanguage, MissingOrDamagedFileGivesNoLanguages) {
  FakeSystemLocale locale;
  test::TempFolder folder;
  TuiLanguage none(locale, folder.path());
  EXPECT_EQ(none.GetLanguageIndexByShortID("0409"), -1);
  EXPECT_EQ(none.GetLanguageShortIDByIndex(0), "");
  EXPECT_TRUE(none.LoadError().empty());
  test::WriteFile(folder.path() / "ui.local", {0xFF, 0xFF, 0xFF, 0x7F});
  TuiLanguage damaged(locale, folder.path());
  EXPECT_TRUE(damaged.Resources().languages.empty());
  EXPECT_FALSE(damaged.LoadError().empty());
  damaged.SetLang("");
  EXPECT_EQ(damaged.Translate("APPLY"), "APPLY");
}

}  // namespace
}  // namespace q9
