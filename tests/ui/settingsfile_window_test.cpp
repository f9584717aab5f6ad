// A settings file too large to be one, met by the real window: the program starts with its
// defaults, names the file once, and "Save Settings" says why it leaves the file alone.
#include <QSystemTrayIcon>
#include <filesystem>

#include "platform/profile.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;

using SettingsFileWindow = WindowTest;

TEST_F(SettingsFileWindow, AHugeSettingsFileIsNamedOnceAndNeverOverwritten) {
  const fs::path file = folder.path() / "kestro.ini";
  test::writeFile(file, "[UserSettingsVid]\ngamma= 2\n");
  constexpr std::uintmax_t kHuge = std::uintmax_t{1} << 40;  // sparse: no disk space taken
  fs::resize_file(file, kHuge);
  open();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].prompt.find(file.string() + ": it holds"), std::string::npos);
  EXPECT_EQ(label("vidgammal"), " 1.2") << "the start-up values stand";

  click("mini");
  window->onTrayActivated(QSystemTrayIcon::Trigger);
  EXPECT_EQ(messages.size(), 1u) << "named at start-up only";

  click("saveset");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[1].prompt.find("could not be saved"), std::string::npos);
  EXPECT_EQ(fs::file_size(file), kHuge);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2) << "file and its lock";
}

}  // namespace
}  // namespace kestro::ui
