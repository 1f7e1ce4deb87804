#include <gtest/gtest.h>

#include "lang/LanguageDesign.h"
#include "lang/uiLanguage.h"
#include "platform/fake/FakeSystemLocale.h"

namespace q9 {
namespace {

const std::vector<LocaleEntry> kLocales = {
    {"0409", "English"}, {"0804", "中文(简体)"}, {"0404", "中文(繁體)"}, {"0407", "Deutsch"}, {"0804", "again"}};

LanguageResources Sample() {
  LanguageResources r;
  r.originals = {"APPLY", "Cancel", "Save"};
  r.languages = {{"0804", {{"APPLY", "应用"}, {"Save", "保存"}}},
                 {"US", {{"APPLY", "Apply!"}}},
                 {"0404", {{"APPLY", "套用"}}},
                 {"0804", {{"APPLY", "second"}}}};
  return r;
}

TEST(LanguageDesign, PagesOnlyForLanguageIdsOnceEachAndTheOthersKeptOnSave) {
  LanguageDesign design(kLocales);
  EXPECT_EQ(design.Locales().size(), 4u) << "a language id is offered once";
  design.Load(Sample());
  ASSERT_EQ(design.PageCount(), 2);
  EXPECT_EQ(design.Pages()[0].identifier, "0804");
  EXPECT_EQ(design.Pages()[0].caption, "中文(简体)");
  EXPECT_EQ(design.Pages()[1].identifier, "0404");
  EXPECT_EQ(design.CurrentPage(), 1);
  EXPECT_EQ(design.Pages()[0].rowCount, 3 + LanguageDesign::kSpareRows);
  EXPECT_EQ(design.ShownTranslation(0, 0), "应用");
  EXPECT_EQ(design.ShownTranslation(0, 1), "Cancel") << "a text without a translation shows itself";
  EXPECT_EQ(design.ShownTranslation(0, 3), "") << "past the originals";

  const LanguageResources saved = design.Resources();
  ASSERT_EQ(saved.languages.size(), 3u);
  EXPECT_EQ(saved.languages[0].name, "0804");
  EXPECT_EQ(saved.languages[0].translations, Sample().languages[0].translations)
      << "texts shown as themselves leave no line";
  EXPECT_EQ(saved.languages[1].name, "0404");
  EXPECT_EQ(saved.languages[2].name, "US") << "a language no page can show is not lost by a save";
  EXPECT_EQ(saved.languages[2].translations, Sample().languages[1].translations);
}

TEST(LanguageDesign, SavesTwoLanguagesWithAddedAndWithoutDeletedTextsAndNoLineForEmptyCells) {
  LanguageDesign design(kLocales);
  design.Load({});
  EXPECT_EQ(design.AddLanguage(2), 0);
  EXPECT_EQ(design.AddLanguage(1), 1);
  EXPECT_TRUE(design.AddConstText("Mouse Click"));
  EXPECT_TRUE(design.AddConstText("Down"));
  EXPECT_TRUE(design.AddConstText("Up"));
  ASSERT_EQ(design.Originals(), (std::vector<std::string>{"Down", "Mouse Click", "Up"})) << "kept sorted";
  EXPECT_TRUE(design.SetTranslation(0, 0, "向下"));
  EXPECT_TRUE(design.SetTranslation(0, 2, "向上"));
  EXPECT_TRUE(design.SetTranslation(1, 0, "下"));
  EXPECT_TRUE(design.SetTranslation(1, 2, ""));
  EXPECT_FALSE(design.SetTranslation(1, 3, "beyond")) << "rows past the originals hold nothing";
  EXPECT_TRUE(design.DeleteOriginal(1));
  EXPECT_EQ(design.ShownTranslation(0, 1), "向上") << "the rows below a deleted one move up";

  const LanguageResources saved = design.Resources();
  EXPECT_EQ(saved.originals, (std::set<std::string>{"Down", "Up"}));
  ASSERT_EQ(saved.languages.size(), 2u);
  EXPECT_EQ(saved.languages[0].name, "0404");
  EXPECT_EQ(saved.languages[0].translations, (std::map<std::string, std::string>{{"Down", "向下"}, {"Up", "向上"}}));
  EXPECT_EQ(saved.languages[1].name, "0804");
  EXPECT_EQ(saved.languages[1].translations, (std::map<std::string, std::string>{{"Down", "下"}}))
      << "an emptied cell leaves no line";
}

TEST(LanguageDesign, AddingTextsThatAreThereOrCannotBeStoredChangesNothing) {
  LanguageDesign design(kLocales);
  design.Load(Sample());
  const auto before = design.Resources();
  EXPECT_FALSE(design.AddConstText("Save"));
  EXPECT_FALSE(design.AddConstText(""));
  EXPECT_FALSE(design.AddConstText("a=b")) << "the file would read it back as the original \"a\"";
  EXPECT_FALSE(design.AddConstText("two\nlines"));
  EXPECT_EQ(design.Resources().originals, before.originals);
  EXPECT_EQ(design.Pages()[0].rowCount, 3 + LanguageDesign::kSpareRows);
  EXPECT_FALSE(design.DeleteOriginal(3));
  EXPECT_FALSE(design.DeleteOriginal(-1));
}

TEST(LanguageDesign, RowsGrowByThirtyWhenTheOriginalsOutgrowThem) {
  LanguageDesign design(kLocales);
  design.Load({});
  design.AddLanguage(0);
  ASSERT_EQ(design.Pages()[0].rowCount, LanguageDesign::kSpareRows);
  for (int i = 0; i < LanguageDesign::kSpareRows + 1; ++i) ASSERT_TRUE(design.AddConstText("text " + std::to_string(1000 + i)));
  EXPECT_EQ(design.Pages()[0].rowCount, LanguageDesign::kSpareRows + LanguageDesign::kRowGrowth);
}

TEST(LanguageDesign, AddLanguageSelectsAnExistingPageAndFillsANewOneFromTheLoadedLanguage) {
  LanguageDesign design(kLocales);
  LanguageResources loaded = Sample();
  loaded.languages.push_back({"0407", {{"Save", "Speichern"}}});
  loaded.languages.erase(loaded.languages.begin() + 2);  // no page for 0404
  design.Load(loaded);
  design.SelectPage(0);
  // 0407 has a page already: it is selected, nothing is added.
  EXPECT_EQ(design.AddLanguage(3), 1);
  EXPECT_EQ(design.PageCount(), 2);
  design.SelectPage(0);
  const int page = design.AddLanguage(2);  // 0404: not in the file
  EXPECT_EQ(page, 2);
  EXPECT_EQ(design.CurrentPage(), 2);
  EXPECT_EQ(design.Pages()[2].translations.size(), 0u);
  EXPECT_EQ(design.AddLanguage(4), -1);
  EXPECT_EQ(design.AddLanguage(-1), -1);

  EXPECT_TRUE(design.DeleteLanguage());
  EXPECT_EQ(design.CurrentPage(), 1) << "the page before the deleted one";
  design.SelectPage(0);
  EXPECT_TRUE(design.DeleteLanguage());
  EXPECT_EQ(design.CurrentPage(), 0) << "the first page when the first was deleted";
  EXPECT_EQ(design.Pages()[0].identifier, "0407");
  EXPECT_TRUE(design.DeleteLanguage());
  EXPECT_EQ(design.CurrentPage(), -1);
  EXPECT_FALSE(design.DeleteLanguage());
  EXPECT_EQ(design.Resources().languages.size(), 1u) << "only the language no page could show is left";
}

TEST(LanguageDesign, TwelvePagesGoForwardFourTimesAndBackToTheStart) {
  std::vector<LocaleEntry> locales;
  LanguageResources loaded;
  for (int i = 0; i < 12; ++i) {
    const std::string id = "04" + std::to_string(10 + i);
    locales.push_back({id, "language " + std::to_string(i + 1)});
    loaded.languages.push_back({id, {}});
  }
  LanguageDesign design(locales);
  design.Load(loaded);
  design.SelectPage(0);
  EXPECT_FALSE(design.PrevPage());
  int moves = 0;
  while (design.NextPage()) ++moves;
  EXPECT_EQ(moves, 4);
  EXPECT_EQ(design.FirstShown(), 4);
  for (int page = 0; page < 12; ++page) EXPECT_EQ(design.IsShown(page), page >= 4) << "page " << page + 1;
  while (design.PrevPage()) --moves;
  EXPECT_EQ(moves, 0);
  EXPECT_EQ(design.FirstShown(), 0);
}

TEST(LanguageDesign, TextListRoundTripsAndReplacesThePagesTranslations) {
  LanguageDesign design(kLocales);
  design.Load(Sample());
  EXPECT_EQ(design.TextList(0), "APPLY=应用\nCancel=Cancel\nSave=保存");
  EXPECT_TRUE(design.SetTextList(0, design.TextList(0)));
  EXPECT_EQ(design.Resources().languages[0].translations, Sample().languages[0].translations);

  EXPECT_TRUE(design.SetTextList(0, "Cancel=取消\r\nUnknown=未知\r\nno equals sign\r\n=x\r\nSave=存=盘"));
  EXPECT_EQ(design.Resources().languages[0].translations,
            (std::map<std::string, std::string>{{"Cancel", "取消"}, {"Save", "存=盘"}}))
      << "lines replace the page's list: APPLY has none now; unknown texts are passed over";
  EXPECT_EQ(design.ShownTranslation(0, 0), "APPLY");
  EXPECT_FALSE(design.SetTextList(5, "APPLY=x"));
}

// The language component's side of the designer.
TEST(LanguageDesignComponent, ReplacedResourcesKeepTheSelectedLanguage) {
  FakeSystemLocale locale;
  TuiLanguage language(locale, Sample());
  language.SetLang("0804");
  ASSERT_EQ(language.Translate("APPLY"), "应用");
  LanguageResources edited = Sample();
  edited.languages.erase(edited.languages.begin());
  edited.languages.insert(edited.languages.begin() + 1, {"0804", {{"APPLY", "应用设置"}}});
  int translations = 0;
  language.RegisterForm([&](const TuiLanguage&) { ++translations; });
  language.SetResources(edited);
  EXPECT_EQ(language.Translate("APPLY"), "应用设置") << "the dictionary follows the new list";
  EXPECT_EQ(translations, 1);
  language.SetResources({});
  EXPECT_EQ(language.Translate("APPLY"), "APPLY") << "without that language the originals are shown";
}

TEST(LanguageDesignComponent, CollectionRunGathersTheFormsTextsAndTheFixedOnesThenRestoresTheLanguage) {
  FakeSystemLocale locale;
  TuiLanguage language(locale, Sample());
  language.SetLang("0804");
  std::vector<std::string> shown;
  language.RegisterForm([&](const TuiLanguage& current) {
    shown = {current.Translate("APPLY"), current.Translate("Profile 1"), current.Translate("")};
  });
  bool opened = false;
  language.RunCollection([&](TuiLanguage& component) {
    opened = true;
    EXPECT_TRUE(component.Active());
    EXPECT_EQ(shown[0], "APPLY") << "the forms show their originals during the run";
    const auto& originals = component.Resources().originals;
    EXPECT_TRUE(originals.contains("Profile 1"));
    EXPECT_TRUE(originals.contains("Cancel")) << "the file's originals stay";
    EXPECT_FALSE(originals.contains(""));
    for (const char* text : kCollectedFixedTexts) EXPECT_TRUE(originals.contains(text)) << text;
    component.RunCollection([](TuiLanguage&) { ADD_FAILURE() << "a run inside a run"; });
  });
  EXPECT_TRUE(opened);
  EXPECT_FALSE(language.Active());
  EXPECT_EQ(shown[0], "应用") << "the language selected before is back";
  EXPECT_EQ(language.Lang(), "0804");
}

}  // namespace
}  // namespace q9
