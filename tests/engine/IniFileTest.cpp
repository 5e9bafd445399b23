#include "engine/IniFile.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

TEST(IniFile, SectionsAndKeysMatchCaseInsensitivelyAndValuesAreTrimmed) {
  IniFile ini = IniFile::parse("\xEF\xBB\xBF[game]\r\n  title =  My Game \r\nLIBRARY=System\\RGSS301.dll\n[Other]\nTitle=x\n");
  EXPECT_EQ(ini.value("Game", "Title").value_or(""), "My Game");
  EXPECT_EQ(ini.value("GAME", "library").value_or(""), "System\\RGSS301.dll");
  EXPECT_EQ(ini.value("Other", "Title").value_or(""), "x");
  EXPECT_FALSE(ini.value("Game", "Scripts").has_value());
  EXPECT_EQ(ini.value("Game", "Scripts", "Data\\Scripts.rvdata2"), "Data\\Scripts.rvdata2");
}

TEST(IniFile, FirstOccurrenceWinsAndLinesOutsideSectionsAreIgnored) {
  IniFile ini = IniFile::parse("Title=outside\n[Game]\nTitle=first\nTitle=second\n;Scripts=comment\nnoequals\n");
  EXPECT_EQ(ini.value("Game", "Title").value_or(""), "first");
  EXPECT_FALSE(ini.value("", "Title").has_value()) << "a key before any section belongs to none";
  EXPECT_FALSE(ini.value("Game", ";Scripts").has_value()) << "a comment line is no key";
}

TEST(IniFile, OnePairOfMatchingQuotesIsDropped) {
  IniFile ini = IniFile::parse("[Game]\nA=\"My Game\"\nB= 'x' \nC=\"mixed'\nD=\"\nE=\"\"\"\"\n");
  EXPECT_EQ(ini.value("Game", "A").value_or(""), "My Game");
  EXPECT_EQ(ini.value("Game", "B").value_or(""), "x");
  EXPECT_EQ(ini.value("Game", "C").value_or(""), "\"mixed'");
  EXPECT_EQ(ini.value("Game", "D").value_or(""), "\"");
  EXPECT_EQ(ini.value("Game", "E").value_or(""), "\"\"");
}

TEST(IniFile, IntegersReadLikeTheProfileFunctions) {
  IniFile ini = IniFile::parse(
      "[Game]\nA=640\nB= -32 \nC=12abc\nD=abc\nE=\nF=+7\nG=4294967297\nH=4294967295\n");
  EXPECT_EQ(ini.intValue("Game", "A", 0), 640);
  EXPECT_EQ(ini.intValue("Game", "B", 0), -32);
  EXPECT_EQ(ini.intValue("Game", "C", 0), 12);
  EXPECT_EQ(ini.intValue("Game", "D", 5), 0);
  EXPECT_EQ(ini.intValue("Game", "E", 5), 0);
  EXPECT_EQ(ini.intValue("Game", "F", 0), 7);
  EXPECT_EQ(ini.intValue("Game", "G", 0), 1);
  EXPECT_EQ(ini.intValue("Game", "H", 0), -1);
  EXPECT_EQ(ini.intValue("Game", "Missing", 544), 544);
}

TEST(IniFile, MissingFileReadsAsEmpty) {
  IniFile ini = IniFile::load("/nonexistent/Game.ini");
  EXPECT_FALSE(ini.exists());
  EXPECT_EQ(ini.value("Game", "Title", "Untitled"), "Untitled");
}

}  // namespace
}  // namespace engine
