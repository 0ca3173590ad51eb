// The desktop's shell and fonts as Qt sees them.
#pragma once

#include "app/desktop.h"

namespace orvella::qt {

// Web addresses open with the desktop's opener; disk management is the
// first of the known disk utilities that is installed; administrator rights
// are asked for by orvella-admin, installed beside the program, or by
// pkexec where the program runs from a build tree (administrator_start.h).
class QtShell final : public Shell {
 public:
  void OpenWebAddress(const std::u16string& address) override;
  std::u16string StartDiskManagement() override;
  std::u16string StartWithAdministratorRights(const std::vector<std::u16string>& arguments) override;
  std::u16string DocumentsFolder() override;
  // Kept in the user's Orvella settings file (QSettings).
  std::u16string Setting(const std::u16string& name) override;
  void KeepSetting(const std::u16string& name, const std::u16string& value) override;
};

// The icon-title font is the desktop's general font.
class QtSystemFonts final : public SystemFonts {
 public:
  std::optional<FontSpec> IconTitleFont() override;
  FontSpec DefaultGuiFont() override;
  bool IsFontInstalled(const std::u16string& family) override;
};

}  // namespace orvella::qt
