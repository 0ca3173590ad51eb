#include "ui/qt/qt_desktop_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "ui/qt/administrator_start.h"
#include "ui/qt/qt_text.h"

namespace orvella::qt {

void QtShell::OpenWebAddress(const std::u16string& address) { QDesktopServices::openUrl(QUrl(ToQt(address))); }

void QtShell::StartDiskManagement() {
  for (const char* tool : {"gnome-disks", "partitionmanager"}) {
    const QString program = QStandardPaths::findExecutable(QLatin1String(tool));
    if (!program.isEmpty()) {
      QProcess::startDetached(program, {});
      return;
    }
  }
}

std::u16string QtShell::StartWithAdministratorRights(const std::vector<std::u16string>& arguments) {
  QStringList list;
  for (const std::u16string& argument : arguments) list << ToQt(argument);
  const AdministratorStart start =
      PlanAdministratorStart(QCoreApplication::applicationFilePath(), list,
                             QStandardPaths::findExecutable(QStringLiteral("pkexec")),
                             QProcessEnvironment::systemEnvironment());
  if (start.program.isEmpty()) return FromQt(start.problem);
  if (!QProcess::startDetached(start.program, start.arguments))
    return FromQt(QStringLiteral("%1 could not be started.").arg(start.program));
  return {};
}

std::optional<FontSpec> QtSystemFonts::IconTitleFont() {
  const QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  if (font.family().isEmpty() || font.pointSizeF() <= 0) return std::nullopt;
  return FromQFont(font);
}

FontSpec QtSystemFonts::DefaultGuiFont() { return FromQFont(QApplication::font()); }

bool QtSystemFonts::IsFontInstalled(const std::u16string& family) {
  return QFontDatabase::families().contains(ToQt(family), Qt::CaseInsensitive);
}

}  // namespace orvella::qt
