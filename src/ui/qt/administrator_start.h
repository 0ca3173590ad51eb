// How the desktop program starts itself again with administrator rights on
// Linux: through orvella-admin where it is installed beside the program
// (its polkit action lets the program reach the display), else, as in a
// build tree, through pkexec with the display variables handed on, which
// pkexec would otherwise drop.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace orvella::qt {

struct AdministratorStart {
  QString program;  // empty when nothing can start the program
  QStringList arguments;
  QString problem;  // what is missing, when `program` is empty
};

// The variables a program on the desktop needs to open its windows.
inline constexpr const char* kDisplayVariables[] = {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"};

// `programFile` is this program's full path, `arguments` those to start it
// with, `pkexec` the path of pkexec (empty where it is not installed).
AdministratorStart PlanAdministratorStart(const QString& programFile, const QStringList& arguments,
                                          const QString& pkexec, const QProcessEnvironment& environment);

}  // namespace orvella::qt
