#include "platform/LocaleTable.h"

namespace q9 {

// The first row of each language is its primary region: a bare language ("zh", "de") maps there.
const std::vector<LocaleRow>& BuiltInLocales() {
  static const std::vector<LocaleRow> rows = {
      {"en_US", "0409", "English (United States)"},
      {"en_GB", "0809", "English (United Kingdom)"},
      {"en_AU", "0C09", "English (Australia)"},
      {"en_CA", "1009", "English (Canada)"},
      {"zh_CN", "0804", "中文(中华人民共和国)"},
      {"zh_TW", "0404", "中文(台灣)"},
      {"zh_HK", "0C04", "中文(香港特別行政區)"},
      {"zh_SG", "1004", "中文(新加坡)"},
      {"zh_MO", "1404", "中文(澳門特別行政區)"},
      {"ja_JP", "0411", "日本語 (日本)"},
      {"ko_KR", "0412", "한국어 (대한민국)"},
      {"de_DE", "0407", "Deutsch (Deutschland)"},
      {"de_AT", "0C07", "Deutsch (Österreich)"},
      {"de_CH", "0807", "Deutsch (Schweiz)"},
      {"fr_FR", "040C", "français (France)"},
      {"fr_CA", "0C0C", "français (Canada)"},
      {"fr_BE", "080C", "français (Belgique)"},
      {"es_ES", "0C0A", "español (España)"},
      {"es_MX", "080A", "español (México)"},
      {"it_IT", "0410", "italiano (Italia)"},
      {"pt_BR", "0416", "português (Brasil)"},
      {"pt_PT", "0816", "português (Portugal)"},
      {"ru_RU", "0419", "русский (Россия)"},
      {"uk_UA", "0422", "українська (Україна)"},
      {"pl_PL", "0415", "polski (Polska)"},
      {"nl_NL", "0413", "Nederlands (Nederland)"},
      {"sv_SE", "041D", "svenska (Sverige)"},
      {"nb_NO", "0414", "norsk bokmål (Norge)"},
      {"da_DK", "0406", "dansk (Danmark)"},
      {"fi_FI", "040B", "suomi (Suomi)"},
      {"cs_CZ", "0405", "čeština (Česko)"},
      {"hu_HU", "040E", "magyar (Magyarország)"},
      {"el_GR", "0408", "Ελληνικά (Ελλάδα)"},
      {"tr_TR", "041F", "Türkçe (Türkiye)"},
      {"ar_SA", "0401", "العربية (المملكة العربية السعودية)"},
      {"he_IL", "040D", "עברית (ישראל)"},
      {"th_TH", "041E", "ไทย (ไทย)"},
      {"vi_VN", "042A", "Tiếng Việt (Việt Nam)"},
      {"id_ID", "0421", "Indonesia (Indonesia)"},
  };
  return rows;
}

namespace {

std::string_view StripEncodingAndModifier(std::string_view value) {
  const auto end = value.find_first_of(".@");
  return end == std::string_view::npos ? value : value.substr(0, end);
}

std::string_view LanguagePart(std::string_view name) { return name.substr(0, name.find('_')); }

}  // namespace

std::string LangIdOfPosixLocale(std::string_view value) {
  const std::string_view name = StripEncodingAndModifier(value);
  if (name.empty()) return {};
  for (const LocaleRow& row : BuiltInLocales())
    if (row.posixName == name) return std::string(row.langId);
  const std::string_view language = LanguagePart(name);
  for (const LocaleRow& row : BuiltInLocales())
    if (LanguagePart(row.posixName) == language) return std::string(row.langId);
  return {};
}

std::vector<LocaleEntry> BuiltInLocaleEntries() {
  std::vector<LocaleEntry> entries;
  for (const LocaleRow& row : BuiltInLocales()) entries.push_back({std::string(row.langId), std::string(row.nativeName)});
  return entries;
}

}  // namespace q9
