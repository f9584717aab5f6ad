// SPDX-License-Identifier: GPL-3.0-or-later
// "Run Mame" after the pickers and "Set EXE", MAME (our DOS stand-in) run by DOSBox; the line
// shown before the run; the tray menu's last games; and options of a game's own.
#include <gmock/gmock.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <filesystem>

#include "support/dosbox.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

// MAME's folder, with the DOS test program as MAME.EXE and games below ROMS, stands in for a
// second drive; the program's folder holds only it.
class MameWindow : public WindowTest {
 protected:
  void SetUp() override {
    for (const char* game : {"pacman", "galaga"}) {
      fs::create_directories(mame / "ROMS" / game);
    }
    fs::copy_file(test::tailProgram(), mame / "MAME.EXE");
    drives = {"/", mame.string()};
    starter = &dosbox;
  }
  void openGame(const QString& game) {
    if (window->form().RomDir().path() != (mame / "ROMS").string()) pick("RomDir", "ROMS", true);
    pick("RomDir", game, true);
  }
  // The tray menu's last games: its entries that show between its two separators.
  std::vector<QAction*> lastGames() const {
    std::vector<QAction*> shown;
    int separators = 0;
    for (QAction* action : window->trayIcon().contextMenu()->actions()) {
      separators += action->isSeparator() ? 1 : 0;
      if (separators == 1 && !action->isSeparator() && action->isVisible()) shown.push_back(action);
    }
    return shown;
  }
  std::string lastGameTexts() const {
    std::string texts;
    for (const QAction* action : lastGames()) texts += action->text().toStdString() + "; ";
    return texts;
  }
  static std::string entry(const fs::path& game, const fs::path& mameFolder, int number) {
    const std::string n = std::to_string(number);
    return "game" + n + "=" + game.string() + "\nmamedir" + n + "=" + mameFolder.string() + "\n";
  }
  std::string bat() const { return test::readFile(mame / "kestro.bat"); }
  std::string tip(std::string_view name) const { return widget(name).toolTip().toStdString(); }
  // The context menu of a game folder list entry, asked for by the mouse on it or by the
  // keyboard with it current, as the window system delivers each.
  QMenu* contextMenu(const QString& entry, bool byKeyboard) const {
    showTabOf("RomDir");
    auto& view = widget<QAbstractItemView>("RomDir");
    const QModelIndexList found =
        view.model()->match(view.model()->index(0, 0), Qt::DisplayRole, entry, 1, Qt::MatchExactly);
    if (found.size() != 1) return nullptr;
    const QPoint centre = view.visualRect(found.front()).center();
    if (byKeyboard) view.setCurrentIndex(found.front());
    QWidget* target = byKeyboard ? static_cast<QWidget*>(&view) : view.viewport();
    QContextMenuEvent request(byKeyboard ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse,
                              centre, target->mapToGlobal(centre));
    QApplication::sendEvent(target, &request);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
  }
  // The entries of the game folder list that say they have options of their own, and whether
  // the icon of the first carries a mark the others lack.
  std::string marked() const {
    const QAbstractItemModel& model = *widget<QAbstractItemView>("RomDir").model();
    std::string names;
    QImage plain, emblem;
    for (int row = 0; row < model.rowCount(); ++row) {
      const QModelIndex entry = model.index(row, 0);
      const bool own = !entry.data(Qt::AccessibleDescriptionRole).toString().isEmpty();
      if (own) names += entry.data().toString().toStdString() + " ";
      (own ? emblem : plain) = entry.data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
    }
    return names + (!emblem.isNull() && emblem != plain ? "with emblem" : "");
  }
  // The menu's entries as "text+" (enabled) or "text-".
  static std::string entries(const QMenu& menu) {
    std::string shown;
    for (const QAction* action : menu.actions()) {
      shown += action->text().toStdString() + (action->isEnabled() ? "+ " : "- ");
    }
    return shown;
  }
  static void choose(QMenu& menu, int entry) {
    menu.setActiveAction(menu.actions().at(entry));
    QTest::keyClick(&menu, Qt::Key_Return);
  }

  fs::path mame = folder.path() / "MAME";
  fs::path ini = folder.path() / "kestro.ini";
  test::ChildDosBox dosbox{folder.path()};
};

using RunMame = MameWindow;
using GameOptions = MameWindow;

TEST_F(RunMame, ThroughThePickersMameGetsTheLineOfTheClickedOptionsAsTheButtonTells) {
  open();
  // Each drive list moves only its own folder list; the MAME drive alone sets the MAME folder.
  showTabOf("RomDrive");
  QTest::keyClick(&widget("RomDrive"), Qt::Key_Down);
  EXPECT_EQ(options().DirMame, "") << "neither the start placement nor the game drive";
  showTabOf("MameDrive");
  QTest::keyClick(&widget("MameDrive"), Qt::Key_Down);
  EXPECT_EQ(options().DirMame, mame.string());

  options().mame = "OLD.EXE";  // as the settings file restored it
  click("exeset");
  EXPECT_EQ(options().mame, "") << "Set EXE with no file selected";
  pick("MameFile", "MAME.EXE");
  click("exeset");
  EXPECT_EQ(options().mame, "MAME.EXE");
  openGame("pacman");
  for (const char* option : {"vidscanlines", "vidvesa3", "vidgamup", "sndvoldn", "logc"}) {
    click(option);
  }
  const std::string line = "MAME.EXE pacman -vesamode vesa2l -gamma 1.3 -volume -1 -log ";
  EXPECT_EQ(widget("runmame").accessibleDescription().toStdString(),
            line + "\nDOS passes MAME the whole line: " + std::to_string(line.size() - 9) +
                " of 126 characters after the executable's name.");
  click("runmame");
  ASSERT_TRUE(messages.empty()) << messages.front().prompt;
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  EXPECT_EQ(bat(), line);
  EXPECT_EQ(lastGameTexts(), "pacman (" + mame.string() + "); ");

  for (const char* option : {"dispvercpyc", "listsupc", "gmdirdescc", "reqromc", "reqsampc",
                             "selgmhrddrivc", "supgmmakeyrc", "supgmdetc"}) {
    click(option);
  }
  EXPECT_EQ(tip("runmame").substr(tip("runmame").find('\n') + 1),
            "DOS passes MAME only 126 of the line's 130 characters after the executable's name, "
            "and cuts from the option \"-listinfo\" on.");
}

// The tray menu shows the last games newest first; a chosen one runs with the window's options and
// moves to the top; entries that cannot run are refused with the reason and run nothing.
TEST_F(RunMame, LastGamesRunAndMoveToTheTopBrokenOnesNeverRun) {
  open();
  test::writeFile(ini, "[EXE]\nexe=MAME.EXE\n[LastGames]\n" + entry("/old/ROMS/a", "/old", 1) +
                           entry("/old/ROMS/b", "/old", 2) +
                           entry(mame / "ROMS" / "galaga", mame, 3));
  backFromTray();
  click("logc");
  lastGames().at(2)->trigger();
  ASSERT_TRUE(messages.empty()) << messages.front().prompt;
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  EXPECT_EQ(bat(), "MAME.EXE galaga -noscanlines -log ");
  EXPECT_EQ(options().DirMame, mame.string());
  for (QAction* action : window->trayIcon().contextMenu()->actions()) {
    if (action->text() == "Copy command line") action->trigger();
  }
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), bat());
  EXPECT_EQ(lastGameTexts(), "galaga (" + mame.string() + "); a (/old); b (/old); ");

  const fs::path gone = folder.path() / "gone";
  const std::string bytes = "[EXE]\nexe=MAME.EXE\n[LastGames]\n" +
                            entry(gone / "ROMS" / "x", mame, 1) +
                            entry(mame / "ROMS" / "pacman", gone, 2);
  test::writeFile(ini, bytes);
  backFromTray();
  const std::string chosen = options().DirMame;
  lastGames().at(1)->trigger();  // a refused run does not move to the top
  lastGames().at(0)->trigger();
  ASSERT_EQ(messages.size(), 2U);
  EXPECT_THAT(messages[0].prompt,
              HasSubstr("The MAME folder \"" + gone.string() + "\" cannot be read"));
  EXPECT_THAT(messages[1].prompt, HasSubstr("The game folder \"" + (gone / "ROMS" / "x").string() +
                                            "\" is not there any more"));
  EXPECT_EQ(options().DirMame, chosen) << "no MAME folder was opened";
  EXPECT_EQ(test::readFile(ini), bytes);
}

TEST_F(GameOptions, AGameKeepsItsOwnOptionsAndTheOthersTheCommonOnes) {
  // The shipped defaults are the common options: no scan lines, gamma 1.2, no vsync, no NTSC.
  test::writeFile(ini, test::readFile(KESTRO_SHIPPED_INI) + "[EXE]\nexe=MAME.EXE\n[LastGames]\n" +
                           entry(mame / "ROMS" / "galaga", mame, 1) +
                           entry(mame / "ROMS" / "pacman", mame, 2) +
                           "[Game:pacman]\nscanlines=1\ngamma=.8\n");
  open();
  // The lists open where the newest last game ran, as if the user had opened them.
  EXPECT_EQ(options().DirMame, mame.string());
  EXPECT_EQ(widget<QComboBox>("RomDrive").currentIndex(), 1);
  EXPECT_EQ(contextMenu("ROMS", false), nullptr) << "no game folder, no menu";
  EXPECT_EQ(marked(), "pacman with emblem");

  openGame("pacman");
  EXPECT_EQ(label("vidgammal"), ".8");
  EXPECT_EQ(tip("saveset"),
            "Saves the options of pacman only; the other games keep the common options");
  EXPECT_EQ(widget("saveset").accessibleDescription().toStdString(), tip("saveset"));
  EXPECT_THAT(tip("gamename"), HasSubstr("options of pacman"));
  EXPECT_THAT(widget("runmame").accessibleDescription().toStdString(),
              HasSubstr("options of pacman"));
  QMenu* menu = contextMenu("pacman", false);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(entries(*menu), "Give pacman options of its own- Use the common options for pacman+ ");
  menu->close();
  click("vidvsync");
  click("saveset");
  EXPECT_THAT(test::readFile(ini), HasSubstr("[Game:pacman]\nscanlines=1\ngamma=.8\nvsync= 1\n"));

  // Leaving it loads the common options; galaga gets options of its own by keyboard.
  openGame("galaga");
  EXPECT_FALSE(checked("vidscanlines") || checked("vidvsync"));
  menu = contextMenu("galaga", true);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(entries(*menu), "Give galaga options of its own+ Use the common options for galaga- ");
  choose(*menu, 0);
  EXPECT_EQ(marked(), "galaga with emblem");
  click("vidntsc");
  click("saveset");
  EXPECT_THAT(test::readFile(ini), HasSubstr("[Game:galaga]\nntsc= 1\n"));

  // Back from the tray, the open game's saved options come back over the common ones.
  click("vidscanlines");
  backFromTray();
  EXPECT_FALSE(checked("vidscanlines"));
  EXPECT_TRUE(checked("vidntsc"));

  // Taken back after a question: the section goes and the common options load.
  choose(*contextMenu("galaga", false), 1);
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_EQ(messages[0].buttons, platform::MessageButtons::OkCancel);
  EXPECT_EQ(marked(), "");
  EXPECT_FALSE(checked("vidntsc"));
  EXPECT_EQ(tip("saveset"), "");

  // A last game of the tray opens as the user opens it: its own options load before the run.
  lastGames().at(1)->trigger();  // pacman
  ASSERT_TRUE(messages.size() == 1U) << messages.back().prompt;
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  EXPECT_THAT(bat(), AllOf(Not(HasSubstr("-noscanlines")), HasSubstr("-gamma .8")));
}

}  // namespace
}  // namespace kestro::ui
