#include "ui/qt/administrator_start.h"

#include <QFileInfo>

namespace orvella::qt {

AdministratorStart PlanAdministratorStart(const QString& programFile, const QStringList& arguments,
                                          const QString& pkexec, const QProcessEnvironment& environment) {
  const QString wrapper = QFileInfo(programFile).absolutePath() + QStringLiteral("/orvella-admin");
  if (QFileInfo(wrapper).isExecutable()) return {wrapper, arguments, {}};
  if (pkexec.isEmpty()) {
    return {{}, {},
            QStringLiteral("Neither %1 nor pkexec (package polkit) was found. Install one of them, or start the "
                           "program as root.")
                .arg(wrapper)};
  }
  QStringList viaEnv{QStringLiteral("/usr/bin/env")};
  for (const char* name : kDisplayVariables) {
    const QString variable = QLatin1String(name);
    if (environment.contains(variable)) viaEnv << variable + QLatin1Char('=') + environment.value(variable);
  }
  viaEnv << programFile << arguments;
  return {pkexec, viaEnv, {}};
}

}  // namespace orvella::qt
