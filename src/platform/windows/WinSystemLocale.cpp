#include "platform/windows/WinSystemLocale.h"

#include <windows.h>

#include <cstdio>

#include "platform/windows/WinText.h"

namespace q9 {

namespace {

std::string LangIdText(unsigned langId) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", langId & 0xFFFFu);
  return text;
}

std::string LocaleText(LCID lcid, LCTYPE type) {
  wchar_t buffer[256];
  const int n = GetLocaleInfoW(lcid, type, buffer, 256);
  return n > 1 ? NarrowToUtf8(std::wstring(buffer, static_cast<std::size_t>(n - 1))) : std::string();
}

thread_local std::vector<LocaleEntry>* collecting = nullptr;

BOOL CALLBACK CollectLocale(LPWSTR lcidText) {
  const LCID lcid = static_cast<LCID>(std::wcstoul(lcidText, nullptr, 16));
  const std::string language = LocaleText(lcid, LOCALE_SNATIVELANGNAME);
  const std::string country = LocaleText(lcid, LOCALE_SNATIVECTRYNAME);
  collecting->push_back({LangIdText(LANGIDFROMLCID(lcid)), country.empty() ? language : language + " (" + country + ")"});
  return TRUE;
}

}  // namespace

std::string WinSystemLocale::SystemDefaultLangId() const { return LangIdText(GetSystemDefaultLangID()); }

std::vector<LocaleEntry> WinSystemLocale::Locales() const {
  std::vector<LocaleEntry> entries;
  collecting = &entries;
  EnumSystemLocalesW(CollectLocale, LCID_INSTALLED);
  collecting = nullptr;
  return entries;
}

}  // namespace q9
