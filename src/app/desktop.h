// What the window logic needs from the desktop besides its windows: the
// application object, message boxes and dialogs, the shell, and the fonts
// the system offers. A front end answers these; tests fake them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs.h"

namespace orvella {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kLinkBlue{0, 0, 255};
inline constexpr Rgb kPressedRed{255, 0, 0};
inline constexpr Rgb kNoticeGrey{128, 128, 128};

enum class MouseButton { Left, Right, Middle };

// Virtual key code of the Escape key.
inline constexpr int kVirtualKeyEscape = 27;

// A window's font as the logic sees it: what decides its look.
struct FontSpec {
  std::u16string name;
  int pointSize = 9;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool operator==(const FontSpec&) const = default;
};

class Application {
 public:
  virtual ~Application() = default;
  // The command line, the program path first.
  virtual std::vector<std::u16string> Arguments() = 0;
  virtual void SetTitle(const std::u16string& title) = 0;
  // Tells the application to end: modal windows close and the message loop
  // ends once the running handler returns.
  virtual void Terminate() = 0;
  virtual bool Terminated() = 0;
  // Shows the main window and runs the message loop until it ends; returns
  // the exit code.
  virtual int RunMessageLoop() = 0;
};

// The system's font choices.
class SystemFonts {
 public:
  virtual ~SystemFonts() = default;
  // The icon-title font; nothing when the system cannot tell.
  virtual std::optional<FontSpec> IconTitleFont() = 0;
  virtual FontSpec DefaultGuiFont() = 0;
  // Whether a font family of that name (any letter case) is installed for
  // the screen.
  virtual bool IsFontInstalled(const std::u16string& family) = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a web address with the desktop's opener; failures are ignored.
  virtual void OpenWebAddress(const std::u16string& address) = 0;
  // Starts the system's disk management tool without waiting for it;
  // empty when it started, else what is missing, in words for the user.
  virtual std::u16string StartDiskManagement() = 0;
  // Starts the program again, asking for administrator rights, with the
  // same arguments; empty when it started, else what stood in the way, in
  // words for the user.
  virtual std::u16string StartWithAdministratorRights(const std::vector<std::u16string>& arguments) = 0;
  // The user's documents folder; empty when the system does not tell.
  virtual std::u16string DocumentsFolder() = 0;
  // A setting kept for the user between runs (QSettings, the registry);
  // empty when it was never kept.
  virtual std::u16string Setting(const std::u16string& name) = 0;
  virtual void KeepSetting(const std::u16string& name, const std::u16string& value) = 0;
};

// The desktop as the window logic sees it.
struct Desktop {
  Application& application;
  Dialogs& dialogs;
  Shell& shell;
  SystemFonts& fonts;
};

}  // namespace orvella
