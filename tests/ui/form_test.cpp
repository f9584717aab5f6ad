// The window's logic without the window: the save's failure message and the activation that
// brings back what was saved.
#include "ui/form.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/options.h"
#include "support/answeringwindow.h"
#include "support/tempfolder.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;
using core::OptionSet;

TEST(Form, AFailedSaveTellsTheUserOnceAndKeepsTheOptions) {
  test::TempFolder folder;
  const std::string notAFolder = folder.str() + "/plain-file";  // no settings file can go in it
  test::writeFile(notAFolder, "x");
  test::AnsweringWindow window;
  MainForm form({.programFolder = notAFolder, .startFolder = {}, .drives = {}}, window);
  form.onActivated();
  core::setOptionButton(form.options(), &OptionSet::vidvesa4, true);
  const OptionSet before = form.options();
  form.onSavesetClicked();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_NE(window.messages[0].prompt.find(form.IniPath()), std::string::npos);
  EXPECT_NE(window.messages[0].prompt.find("Not a directory"), std::string::npos);
  EXPECT_EQ(form.options(), before);
}

TEST(Form, EveryActivationRestoresWhatWasSaved) {
  test::TempFolder folder;
  fs::copy_file(KESTRO_SHIPPED_INI, folder.path() / "kestro.ini");
  test::AnsweringWindow window;
  MainForm form({.programFolder = folder.str(), .startFolder = {}, .drives = {}}, window);
  form.onActivated();
  core::setOptionButton(form.options(), &OptionSet::vidvesa1, true);
  form.onSavesetClicked();
  const OptionSet whatWasSaved = form.options();
  core::setOptionButton(form.options(), &OptionSet::snd7, true);
  form.options().mame = "OTHER.EXE";
  form.options().gamma = "0.6";
  form.onActivated();  // back from the tray
  EXPECT_EQ(form.options(), whatWasSaved);
  EXPECT_TRUE(window.messages.empty());
  form.onLoaddefClicked();
  EXPECT_TRUE(form.options().vidvesa3);
}

}  // namespace
}  // namespace kestro::ui
