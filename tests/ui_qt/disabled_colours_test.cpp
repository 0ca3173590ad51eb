// Disabled controls look disabled whatever palette the desktop gives,
// also one whose disabled colours are its active ones.
#include <QPushButton>

#include "support/ata_drives.h"
#include "ui_qt/dark_palette.h"
#include "ui/qt/disabled_colours.h"
#include "ui_qt/desktop_fixture.h"

namespace orvella {
namespace {

using test::RoleByRoleDarkPalette;

TEST(DisabledColours, TextTheDisabledGroupSharesWithTheActiveOneIsDimmedTowardsItsBackground) {
  const QPalette dark = RoleByRoleDarkPalette();
  ASSERT_EQ(dark.color(QPalette::Disabled, QPalette::ButtonText), dark.color(QPalette::Active, QPalette::ButtonText));
  const QPalette dimmed = qt::WithDimmedDisabledText(dark);
  for (const QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text}) {
    EXPECT_EQ(dimmed.color(QPalette::Active, role), dark.color(QPalette::Active, role)) << role;
    const int disabled = dimmed.color(QPalette::Disabled, role).lightness();
    EXPECT_LT(disabled, dark.color(QPalette::Active, role).lightness() - 40) << role;
  }
  EXPECT_EQ(dimmed.color(QPalette::Disabled, QPalette::ButtonText), QColor(140, 140, 142));
  EXPECT_EQ(dimmed.color(QPalette::Active, QPalette::Button), dark.color(QPalette::Active, QPalette::Button));
}

TEST(DisabledColours, APaletteWithDisabledColoursOfItsOwnIsLeftAsItIs) {
  QPalette light = RoleByRoleDarkPalette();
  light.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
  light.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
  light.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
  EXPECT_EQ(qt::WithDimmedDisabledText(light), light);
  const QPalette once = qt::WithDimmedDisabledText(RoleByRoleDarkPalette());
  EXPECT_EQ(qt::WithDimmedDisabledText(once), once) << "a second pass changes nothing";
}

class DarkDesktop : public test::DesktopFixture {
 protected:
  DarkDesktop() : before_(QApplication::palette()) { QApplication::setPalette(RoleByRoleDarkPalette()); }
  ~DarkDesktop() override { QApplication::setPalette(before_); }

 private:
  QPalette before_;
};

// Stop is disabled until a run starts; in a dark palette set role by role
// it read exactly like the enabled FORMAT THIS DEVICE beside it.
TEST_F(DarkDesktop, TheDisabledStopButtonIsDrawnDimmerThanTheEnabledFormatButton) {
  VirtualMachine machine;
  machine.drives = {test::HardDisk(0)};
  Build(std::move(machine));
  StartWithLastDrive();
  auto* stop = MainChild<QPushButton>("btStop");
  auto* format = MainChild<QPushButton>("btRunBenchmarks");
  ASSERT_FALSE(stop->isEnabled());
  ASSERT_TRUE(format->isEnabled());
  const QColor stopText = stop->palette().color(QPalette::Disabled, QPalette::ButtonText);
  const QColor formatText = format->palette().color(QPalette::Active, QPalette::ButtonText);
  EXPECT_LT(stopText.lightness(), formatText.lightness() - 40);
}

}  // namespace
}  // namespace orvella
