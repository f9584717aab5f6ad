// SPDX-License-Identifier: GPL-3.0-or-later
// Options of a game's own in the real window: the game folder list's context menu by mouse and
// by keyboard, opening and leaving such a game, "Save Settings" either way, the return from the
// tray, a last game of the tray run with its own options (MAME run by DOSBox), and the lists
// opening in the last MAME folder.
#include <QAbstractItemView>
#include <QApplication>
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

class GameOptionsWindow : public WindowTest {
 protected:
  void SetUp() override {
    for (const char* game : {"pacman", "galaga", "dkong"}) {
      fs::create_directories(mame / "ROMS" / game);
    }
    fs::copy_file(test::tailProgram(), mame / "MAME.EXE");
    drives = {"/", mame.string()};
    starter = &dosbox;
    test::writeFile(
        ini, common + "[LastGames]\ngame1=" + (mame / "ROMS" / "galaga").string() +
                 "\nmamedir1=" + mame.string() + "\ngame2=" + (mame / "ROMS" / "pacman").string() +
                 "\nmamedir2=" + mame.string() + "\n[Game:pacman]\nscanlines=1\ngamma=.8\n");
    open();
  }
  // The context menu of a game folder list entry, asked for by the mouse on it or by the
  // keyboard with it current, as the window system delivers each.
  QMenu* contextMenu(const QString& entry, bool byKeyboard) const {
    showTabOf("RomDir");
    auto& view = widget<QAbstractItemView>("RomDir");
    const QModelIndexList found =
        view.model()->match(view.model()->index(0, 0), Qt::DisplayRole, entry, 1, Qt::MatchExactly);
    if (found.size() != 1) return nullptr;
    const QPoint centre = view.visualRect(found.front()).center();
    if (byKeyboard) {
      view.setCurrentIndex(found.front());
      QContextMenuEvent request(QContextMenuEvent::Keyboard, centre, view.mapToGlobal(centre));
      QApplication::sendEvent(&view, &request);
    } else {
      QContextMenuEvent request(QContextMenuEvent::Mouse, centre,
                                view.viewport()->mapToGlobal(centre));
      QApplication::sendEvent(view.viewport(), &request);
    }
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
  void openGame(const QString& game) {
    if (window->form().RomDir().path() != (mame / "ROMS").string()) pick("RomDir", "ROMS", true);
    pick("RomDir", game, true);
  }
  std::string section(std::string_view name) const {
    const std::string text = test::readFile(ini);
    const std::size_t start = text.find("[" + std::string(name) + "]");
    if (start == std::string::npos) return "none";
    return text.substr(start, text.find('[', start + 1) - start);
  }
  std::string tip(std::string_view name) const { return widget(name).toolTip().toStdString(); }

  fs::path mame = folder.path() / "MAME";
  fs::path ini = folder.path() / "kestro.ini";
  // The shipped defaults are the common options: no scan lines, gamma 1.2, no vsync, no NTSC.
  const std::string common = test::readFile(KESTRO_SHIPPED_INI) + "[EXE]\nexe=MAME.EXE\n";
  test::ChildDosBox dosbox{folder.path()};
};

TEST_F(GameOptionsWindow, AGameKeepsItsOwnOptionsAndTheOthersTheCommonOnes) {
  // The lists open where the newest last game ran, as if the user had opened them.
  EXPECT_EQ(window->form().MameDir().path(), mame.string());
  EXPECT_EQ(options().DirMame, mame.string());
  EXPECT_EQ(window->form().MameFile().files(), std::vector<std::string>{"MAME.EXE"});
  EXPECT_EQ(window->form().RomDir().path(), (mame / "ROMS").string());
  EXPECT_EQ(widget<QComboBox>("RomDrive").currentIndex(), 1);
  EXPECT_EQ(contextMenu("ROMS", false), nullptr) << "no game folder, no menu";
  EXPECT_EQ(marked(), "pacman with emblem");

  openGame("pacman");
  EXPECT_TRUE(checked("vidscanlines"));
  EXPECT_EQ(label("vidgammal"), ".8");
  EXPECT_EQ(tip("saveset"),
            "Saves the options of pacman only; the other games keep the common options");
  EXPECT_EQ(widget("saveset").accessibleDescription().toStdString(), tip("saveset"));
  EXPECT_NE(tip("gamename").find("options of pacman"), std::string::npos);
  EXPECT_NE(widget("runmame").accessibleDescription().toStdString().find("options of pacman"),
            std::string::npos);
  QMenu* menu = contextMenu("pacman", false);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(entries(*menu), "Give pacman options of its own- Use the common options for pacman+ ");
  menu->close();

  click("vidvsync");
  click("saveset");
  EXPECT_EQ(section("Game:pacman"), "[Game:pacman]\nscanlines=1\ngamma=.8\nvsync= 1\n");
  EXPECT_EQ(test::readFile(ini).substr(0, common.size()), common);

  // Leaving it loads the common options; galaga gets options of its own by keyboard.
  openGame("galaga");
  EXPECT_FALSE(checked("vidscanlines"));
  EXPECT_FALSE(checked("vidvsync"));
  EXPECT_EQ(tip("saveset"), "");
  menu = contextMenu("galaga", true);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(entries(*menu), "Give galaga options of its own+ Use the common options for galaga- ");
  choose(*menu, 0);
  EXPECT_EQ(section("Game:galaga"), "[Game:galaga]\n");
  EXPECT_EQ(marked(), "galaga with emblem");
  EXPECT_NE(tip("saveset").find("galaga"), std::string::npos);
  click("vidntsc");
  click("saveset");
  EXPECT_EQ(section("Game:galaga"), "[Game:galaga]\nntsc= 1\n");
  EXPECT_EQ(test::readFile(ini).substr(0, common.size()), common);

  // Back from the tray, the open game's saved options come back over the common ones.
  click("vidscanlines");
  backFromTray();
  EXPECT_EQ(std::vector<bool>({checked("vidscanlines"), checked("vidntsc")}),
            std::vector<bool>({false, true}));

  // Taken back after a question: the section goes and the common options load.
  choose(*contextMenu("galaga", false), 1);
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_EQ(messages[0].buttons, platform::MessageButtons::OkCancel);
  EXPECT_EQ(section("Game:galaga"), "none");
  EXPECT_EQ(marked(), "");
  EXPECT_FALSE(checked("vidntsc"));
  EXPECT_EQ(tip("saveset"), "");
  click("vidntsc");
  click("saveset");
  EXPECT_NE(section("UserSettingsVid").find("ntsc= 1"), std::string::npos);
  EXPECT_EQ(section("Game:pacman"), "[Game:pacman]\nscanlines=1\ngamma=.8\nvsync= 1\n");

  // A last game of the tray opens as the user opens it: its own options load before the run.
  openGame("dkong");
  for (QAction* action : window->trayIcon().contextMenu()->actions()) {
    if (action->text().startsWith("pacman")) action->trigger();
  }
  ASSERT_TRUE(messages.size() == 1U) << messages.back().prompt;
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  const std::string bat = test::readFile(mame / "kestro.bat");
  EXPECT_EQ(bat.find("-noscanlines"), std::string::npos) << bat;
  EXPECT_NE(bat.find("-gamma .8"), std::string::npos) << bat;
}

}  // namespace
}  // namespace kestro::ui
