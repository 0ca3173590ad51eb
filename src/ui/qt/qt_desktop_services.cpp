#include "ui/qt/qt_desktop_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include "ui/qt/administrator_start.h"
#include "ui/qt/qt_text.h"

namespace orvella::qt {

void QtShell::OpenWebAddress(const std::u16string& address) { QDesktopServices::openUrl(QUrl(ToQt(address))); }

std::u16string QtShell::StartDiskManagement() {
  for (const char* tool : {"gnome-disks", "partitionmanager"}) {
    const QString program = QStandardPaths::findExecutable(QLatin1String(tool));
    if (program.isEmpty()) continue;
    if (QProcess::startDetached(program, {})) return {};
    return FromQt(QStringLiteral("%1 could not be started.").arg(program));
  }
  return u"No disk management program is installed: neither GNOME Disks (gnome-disks) nor KDE Partition "
         u"Manager (partitionmanager) was found. Install one of them, for example with "
         u"\"sudo apt install gnome-disk-utility\", to see and change the drives' partitions.";
}

std::u16string QtShell::DocumentsFolder() {
  return FromQt(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

namespace {
QSettings UserSettings() { return QSettings(QStringLiteral("Orvella"), QStringLiteral("Orvella")); }
QString SettingKey(const std::u16string& name) { return QStringLiteral("record/") + ToQt(name); }
}  // namespace

std::u16string QtShell::Setting(const std::u16string& name) {
  return FromQt(UserSettings().value(SettingKey(name)).toString());
}

void QtShell::KeepSetting(const std::u16string& name, const std::u16string& value) {
  UserSettings().setValue(SettingKey(name), ToQt(value));
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
