// What DOS and the one-line script can carry, how DOS finds the program, and where DOS
// cuts a command tail (as measured with DOSBox: see the run tests for the real thing).
#include "launch/dosrules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/tempfolder.h"

namespace kestro::launch {
namespace {

TEST(TextProblem, WhatTheScriptOrDosCannotCarry) {
  const struct {
    std::string text;
    const char* problem;  // a word the reason must hold; nullptr when the text is fine
  } cases[] = {
      {"pacman", nullptr},
      {"MAME.EXE", nullptr},
      {"mygame/set2", nullptr},
      {"a-b_c!{}~'", nullptr},
      {"", nullptr},
      {"pac\nman", "line break"},
      {"pac\rman", "line break"},
      {"pac\tman", "control character"},
      {std::string("pac\0man", 7), "control character"},
      {"pac\x7Fman", "control character"},
      {"pacm\xC3\xA4n", "printable ASCII"},
      {"pac man", "blank"},
      {"a&b", "character &"},
      {"a|b", "character |"},
      {"a<b", "character <"},
      {"a>b", "character >"},
      {"a^b", "character ^"},
      {"100%", "character %"},
      {"a\"b", "character \""},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> problem = textProblem(c.text);
    if (c.problem == nullptr) {
      EXPECT_FALSE(problem) << c.text;
    } else {
      ASSERT_TRUE(problem) << c.text;
      EXPECT_NE(problem->find(c.problem), std::string::npos) << c.text << ": " << *problem;
    }
  }
}

TEST(DosShortName, EightThenThree) {
  const std::pair<const char*, bool> cases[] = {
      {"MAME.EXE", true},       {"mame.exe", true},   {"MAME", true},
      {"MAME0106.EXE", true},   {"M.E", true},        {"MAME_(1).EXE", true},
      {"MAME01060.EXE", false}, {"MAME.EXEC", false}, {".EXE", false},
      {"MAME.", false},         {"MAME.E.X", false},  {"MA ME.EXE", false},
      {"dir/MAME.EXE", false},  {"MAME*.EXE", false}, {"", false},
      {"MAME+.EXE", false},
  };
  for (const auto& [name, valid] : cases) EXPECT_EQ(isDosShortName(name), valid) << name;
}

TEST(DosProgram, FoundAsDosWouldFindIt) {
  test::TempFolder folder;
  test::writeFile(folder.path() / "MAME.EXE", "x");
  test::writeFile(folder.path() / "tool.bat", "x");
  test::writeFile(folder.path() / "TOOL.EXE", "x");
  test::writeFile(folder.path() / "Tool.com", "x");
  std::filesystem::create_directory(folder.path() / "DIR.EXE");

  EXPECT_EQ(findDosProgram(folder.str(), "mame.exe").found, "MAME.EXE");
  EXPECT_EQ(findDosProgram(folder.str(), "MAME").found, "MAME.EXE");
  EXPECT_EQ(findDosProgram(folder.str(), "tool").found, "Tool.com");  // .COM comes first
  EXPECT_EQ(findDosProgram(folder.str(), "tool.bat").found, "tool.bat");
  EXPECT_EQ(findDosProgram(folder.str(), "dir.exe").found, "");
  EXPECT_EQ(findDosProgram(folder.str(), "mame.com").found, "");

  const ProgramSearch missing = findDosProgram((folder.path() / "none").string(), "MAME.EXE");
  EXPECT_EQ(missing.found, "");
  EXPECT_FALSE(missing.error.empty());
}

// A line of MAME.EXE, the game name and pieces of the given lengths.
struct Line {
  std::string text = "MAME.EXE";
  std::string game;
  std::vector<std::string> pieces;
  Line(std::string gameName, std::vector<std::string> linePieces)
      : game(std::move(gameName)), pieces(std::move(linePieces)) {
    text += " " + game + " ";
    for (const std::string& piece : pieces) text += piece;
  }
  std::optional<TailCut> cut() const { return tailCut(text, 8, game, pieces); }
};

std::string option(char letter, std::size_t length) {
  return "-" + std::string(length - 2, letter) + " ";
}

TEST(TailCut, DosKeeps126CharactersAfterTheName) {
  // The tail runs from the blank after MAME.EXE: 1 + 6 ("pacman") + 1 = 8, then pieces.
  const Line fits("pacman", {option('a', 60), option('b', 59)});  // 127 with the final blank
  EXPECT_EQ(fits.text.size() - 8, 127u);
  EXPECT_FALSE(fits.cut());

  const Line over("pacman", {option('a', 60), option('b', 60)});  // 128: one character lost
  const std::optional<TailCut> cut = over.cut();
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->length, 127u);
  EXPECT_EQ(cut->firstCut, "-" + std::string(58, 'b'));
  EXPECT_FALSE(cut->gameNameCut);

  // The cut falls on the blank after a piece: that piece arrives whole, the next is named.
  const Line between("pacman", {option('a', 119), "-z "});
  ASSERT_TRUE(between.cut());
  EXPECT_EQ(between.cut()->firstCut, "-z");
}

TEST(TailCut, AGameNameTooLongIsNamed) {
  const Line line(std::string(130, 'g'), {"-log "});
  ASSERT_TRUE(line.cut());
  EXPECT_TRUE(line.cut()->gameNameCut);
  EXPECT_EQ(line.cut()->firstCut, std::string(130, 'g'));
}

}  // namespace
}  // namespace kestro::launch
