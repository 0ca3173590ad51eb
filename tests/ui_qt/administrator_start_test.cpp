#include "ui/qt/administrator_start.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orvella::qt {
namespace {

class AdministratorStartTest : public ::testing::Test {
 protected:
  QString Program() const { return folder.filePath(QStringLiteral("orvella")); }
  void PutWrapper(QFile::Permissions permissions) {
    QFile wrapper(folder.filePath(QStringLiteral("orvella-admin")));
    ASSERT_TRUE(wrapper.open(QIODevice::WriteOnly));
    wrapper.write("#!/bin/sh\n");
    wrapper.close();
    ASSERT_TRUE(wrapper.setPermissions(permissions));
  }

  QTemporaryDir folder;
  QProcessEnvironment environment;
};

TEST_F(AdministratorStartTest, AnInstalledWrapperBesideTheProgramIsUsed) {
  PutWrapper(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const AdministratorStart start =
      PlanAdministratorStart(Program(), {QStringLiteral("--debug")}, QStringLiteral("/usr/bin/pkexec"), environment);
  EXPECT_EQ(start.program, folder.filePath(QStringLiteral("orvella-admin")));
  EXPECT_EQ(start.arguments, QStringList{QStringLiteral("--debug")});
  EXPECT_TRUE(start.problem.isEmpty());
}

// A build tree has no wrapper (it is written at install); a file of that
// name that cannot be run does not count either.
TEST_F(AdministratorStartTest, WithoutAWrapperPkexecStartsTheProgramItselfWithTheDisplayHandedOn) {
  PutWrapper(QFile::ReadOwner | QFile::WriteOwner);
  environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":1"));
  environment.insert(QStringLiteral("XAUTHORITY"), QStringLiteral("/run/user/1000/xauth"));
  environment.insert(QStringLiteral("HOME"), QStringLiteral("/home/user"));
  const AdministratorStart start =
      PlanAdministratorStart(Program(), {QStringLiteral("--debug")}, QStringLiteral("/usr/bin/pkexec"), environment);
  EXPECT_EQ(start.program, QStringLiteral("/usr/bin/pkexec"));
  EXPECT_EQ(start.arguments, (QStringList{QStringLiteral("/usr/bin/env"), QStringLiteral("DISPLAY=:1"),
                                          QStringLiteral("XAUTHORITY=/run/user/1000/xauth"), Program(),
                                          QStringLiteral("--debug")}));
}

TEST_F(AdministratorStartTest, WithNeitherTheProblemNamesWhatIsMissing) {
  const AdministratorStart start = PlanAdministratorStart(Program(), {}, QString(), environment);
  EXPECT_TRUE(start.program.isEmpty());
  EXPECT_TRUE(start.problem.contains(folder.filePath(QStringLiteral("orvella-admin")))) << start.problem.toStdString();
  EXPECT_TRUE(start.problem.contains(QStringLiteral("pkexec")));
}

}  // namespace
}  // namespace orvella::qt
