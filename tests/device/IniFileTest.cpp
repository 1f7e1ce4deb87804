#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "TestSupport.h"
#include "device/IniFile.h"

namespace q9 {
namespace {

using namespace std::string_literals;

struct StringCase {
  std::string text, section, key, expected;
};

class IniReadString : public ::testing::TestWithParam<StringCase> {};

TEST_P(IniReadString, GivesTheValueOrTheDefault) {
  const auto& c = GetParam();
  EXPECT_EQ(IniFile::Parse(c.text).ReadString(c.section, c.key, "<default>"), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Cases, IniReadString, ::testing::Values(
    StringCase{"[Device]\nFileName=a.sys", "DEVICE", "filename", "a.sys"},
    StringCase{"  [ s ]  \n\t key \t=  a b \t", "s", "key", "a b"},
    StringCase{"[s]\nk=first\nk=second", "s", "k", "first"},
    StringCase{"[s]\nk=first\n[S]\nk=second\nother=x", "s", "other", "<default>"},
    StringCase{"[s]\nk=", "s", "k", ""},
    StringCase{"[s]\nk=\"\"", "s", "k", ""},
    StringCase{"[s]\nk=\"x\"", "s", "k", "x"},
    StringCase{"[s]\nk='x'", "s", "k", "x"},
    StringCase{"[s]\nk=\"x'", "s", "k", "\"x'"},
    StringCase{"[s]\nk=\"", "s", "k", "\""},
    StringCase{"[s]\nk=1 ; note", "s", "k", "1 ; note"},
    StringCase{"[s]\nk=a=b", "s", "k", "a=b"},
    StringCase{"[s]\n;k=x", "s", ";k", "<default>"},
    StringCase{"[s]\n#k=x", "s", "#k", "<default>"},
    StringCase{"[s]\nk x", "s", "k x", "<default>"},
    StringCase{"[s]\n=x", "s", "", "<default>"},
    StringCase{"k=outside\n[s]", "s", "k", "<default>"},
    StringCase{"[s] ; note\nk=x", "s", "k", "x"},
    StringCase{"[s\nk=x", "s", "k", "x"},
    StringCase{"[s]\r\nk=x\r\nj=y\r\n", "s", "j", "y"},
    StringCase{"[s]\rk=x\rj=y", "s", "j", "y"},
    StringCase{"[s]\nk=x\0y\nj=z"s, "s", "k", "x"},
    StringCase{"\xEF\xBB\xBF[s]\nk=x", "s", "k", "x"},
    StringCase{"\xFF\xFE[\0s\0]\0\n\0k\0=\0\xE9\0\n\0"s, "s", "k", "\xC3\xA9"},
    StringCase{"\xFE\xFF\0[\0s\0]\0\n\0k\0=\xD8\x3D\xDE\x00"s, "s", "k", "\xF0\x9F\x98\x80"},
    StringCase{"\xFF\xFE[\0s\0]\0\n\0k\0=\0\x00\xDC"s, "s", "k", "\xEF\xBF\xBD"},
    StringCase{"[\xC3\x89]\nk=x", "\xC3\xA9", "k", "<default>"}));

struct IntegerCase {
  std::string value;
  int expected;
};

class IniReadInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IniReadInteger, ReadsTheLeadingNumber) {
  const IniFile ini = IniFile::Parse("[s]\nk=" + GetParam().value);
  EXPECT_EQ(ini.ReadInteger("s", "k", 7), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Cases, IniReadInteger, ::testing::Values(
    IntegerCase{"12", 12}, IntegerCase{"-3", -3}, IntegerCase{"+4", 4}, IntegerCase{"010", 10},
    IntegerCase{"12 dpi", 12}, IntegerCase{"\"5\"", 5}, IntegerCase{"0x1F", 31}, IntegerCase{"0X1fz", 31},
    IntegerCase{"-0x10", -16}, IntegerCase{"0x", 0}, IntegerCase{"0xG", 0},
    IntegerCase{"2147483647", INT_MAX}, IntegerCase{"-2147483648", INT_MIN}, IntegerCase{"2147483648", 7},
    IntegerCase{"-2147483649", 7}, IntegerCase{"0x80000000", 7}, IntegerCase{"99999999999999999999999", 7},
    IntegerCase{"", 7}, IntegerCase{"abc", 7}, IntegerCase{"-", 7}, IntegerCase{"--5", 7}, IntegerCase{"+-5", 7},
    IntegerCase{"- 5", 7}));

TEST(IniFile, MissingKeyGivesTheIntegerDefault) { EXPECT_EQ(IniFile::Parse("[s]\nj=1").ReadInteger("s", "k", -9), -9); }

TEST(IniFile, OnlyTheFirstMebibyteIsReadAndACutLineIsDropped) {
  const std::string head = "[s]\nfirst=1\n;" + std::string(kLargestIniText - 22, 'x') + "\n";
  const std::string text = head + "cut=123456789\n";
  ASSERT_LT(head.size(), kLargestIniText);
  ASSERT_GT(head.size() + 10, kLargestIniText);
  const IniFile ini = IniFile::Parse(text);
  EXPECT_EQ(ini.ReadInteger("s", "first", 0), 1);
  EXPECT_EQ(ini.ReadString("s", "cut", "none"), "none") << "never read half";
  EXPECT_EQ(IniFile::Parse(text.substr(0, kLargestIniText)).ReadString("s", "cut", "none"), "1234")
      << "a text that fits is read to its end";

  test::TempFolder folder;
  test::WriteFile(folder.path() / "big.ini", test::Bytes(text.begin(), text.end()));
  EXPECT_EQ(IniFile::Load(folder.path() / "big.ini").ReadString("s", "cut", "none"), "none");
  EXPECT_EQ(IniFile::Load(folder.path() / "big.ini").ReadInteger("s", "first", 0), 1);
}

TEST(IniFile, WhatCannotBeReadIsEmpty) {
  test::TempFolder folder;
  EXPECT_EQ(IniFile::Load(folder.path() / "missing.ini").SectionCount(), 0u);
  EXPECT_EQ(IniFile::Load(folder.path()).SectionCount(), 0u) << "a folder";
  EXPECT_EQ(IniFile::Parse("\xFF\xFE").SectionCount(), 0u);
  EXPECT_EQ(IniFile::Parse("\xFF\xFE[").SectionCount(), 0u) << "an odd byte of UTF-16";
}

}  // namespace
}  // namespace q9
