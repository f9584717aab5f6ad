// The option groups: one member on switches the rest of its group off, nothing else.
#include "core/controls.h"

#include <gtest/gtest.h>

#include <set>

namespace kestro::core {
namespace {

TEST(OptionGroups, TenGroupsHoldingEveryOptionButtonOnce) {
  std::set<std::string_view> names;
  std::size_t count = 0;
  for (const OptionGroup& group : kOptionGroups) {
    for (const OptionButtonField& member : group.members) {
      names.insert(member.name);
      ++count;
    }
  }
  EXPECT_EQ(std::size(kOptionGroups), 10u);
  EXPECT_EQ(count, 32u);
  EXPECT_EQ(names.size(), 32u);
  EXPECT_EQ(std::size(kCheckBoxes), 29u);
}

TEST(OptionGroups, TurningOneOnTurnsItsGroupOffAndLeavesOthers) {
  OptionSet options;
  setOptionButton(options, &OptionSet::vidvesa2, true);
  setOptionButton(options, &OptionSet::vidmon1, true);
  setOptionButton(options, &OptionSet::vidmon2, true);
  EXPECT_FALSE(options.vidmon1);
  EXPECT_TRUE(options.vidmon2);
  EXPECT_FALSE(options.vidmon3);
  EXPECT_FALSE(options.vidmon4);
  EXPECT_TRUE(options.vidvesa2);

  setOptionButton(options, &OptionSet::vidmon2, false);
  for (const OptionButtonField& member : kVidmon) EXPECT_FALSE(options.*member.member);
  EXPECT_TRUE(options.vidvesa2);
}

TEST(OptionSet, StartsWithNothingChosen) {
  const OptionSet options;
  for (const OptionGroup& group : kOptionGroups) {
    for (const OptionButtonField& member : group.members) EXPECT_FALSE(options.*member.member);
  }
  for (const CheckBoxField& box : kCheckBoxes) EXPECT_EQ(options.*box.member, 0) << box.name;
  EXPECT_EQ(options.JoyList, -1);
  EXPECT_EQ(options.fsslid, 0);
  EXPECT_EQ(options.gamename, kGameNamePrompt);
  EXPECT_TRUE(options.vidgammal.empty());
}

}  // namespace
}  // namespace kestro::core
