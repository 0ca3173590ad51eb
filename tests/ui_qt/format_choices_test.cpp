// The choices of the "LOW-LEVEL FORMAT" page as real widgets: the read-back
// and method lists, the record's fields, the note, the system disk's tick
// box, the records kept by themselves, and the page at a small size.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTabWidget>
#include <filesystem>

#include "support/documents_folder.h"
#include "support/format_choices.h"
#include "ui_qt/desktop_fixture.h"

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::OneHardDisk;

class FormatChoicesTest : public test::DesktopFixture {
 protected:
  FormatChoicesTest() { shell.documentsFolder = documents.path.u16string(); }

  QComboBox* Combo(const char* name) { return MainChild<QComboBox>(name); }
  QCheckBox* Box(const char* name) { return MainChild<QCheckBox>(name); }
  QLineEdit* Edit(const char* name) { return MainChild<QLineEdit>(name); }
  QString Note() { return MainChild<QLabel>("lbChoiceNote")->text(); }
  void ShowFormatPage() { MainChild<QTabWidget>("pages")->setCurrentIndex(1); }
  test::DocumentsFolder documents{"orvella-qt-choices"};
};

TEST_F(FormatChoicesTest, TheReadBackOffersFullSampleAndOffAndFollowsQuickWipe) {
  Build(OneHardDisk());
  StartWithLastDrive();
  ShowFormatPage();
  QComboBox* verify = Combo("cbVerify");
  ASSERT_EQ(verify->count(), 3);
  EXPECT_EQ(verify->currentText(), QStringLiteral("a sample (NIST SP 800-88)"));
  EXPECT_TRUE(Note().startsWith(QStringLiteral("Whole drive: every sector is overwritten with zeros.")));
  QTest::mouseClick(Box("cbQuickWipe"), Qt::LeftButton, {}, QPoint(5, Box("cbQuickWipe")->height() / 2));
  ASSERT_TRUE(Box("cbQuickWipe")->isChecked());
  EXPECT_EQ(verify->currentText(), QStringLiteral("every byte"));
  EXPECT_TRUE(Note().contains(QStringLiteral("this is not an erase"))) << Note().toStdString();
  verify->setCurrentIndex(verify->findText(QStringLiteral("off")));
  dialogs.taskDialogAnswer = IDCANCEL;
  QTest::mouseClick(MainChild<QPushButton>("btRunBenchmarks"), Qt::LeftButton);
  ASSERT_EQ(dialogs.taskDialogs.size(), 1u);
  EXPECT_NE(dialogs.taskDialogs[0].content.find(u"Verification: none"), std::u16string::npos);
}

TEST_F(FormatChoicesTest, MethodsTheDriveDoesNotOfferAreGreyedWithTheirReason) {
  Build(OneHardDisk());
  StartWithLastDrive();
  QComboBox* method = Combo("cbMethod");
  ASSERT_EQ(method->count(), 7);
  EXPECT_TRUE(method->currentText().startsWith(QStringLiteral("zeros (")));
  auto* model = qobject_cast<QStandardItemModel*>(method->model());
  ASSERT_NE(model, nullptr);
  EXPECT_TRUE(model->item(0)->isEnabled());
  int greyed = 0;
  for (int row = 1; row < method->count(); ++row) {
    if (model->item(row)->isEnabled()) continue;
    ++greyed;
    EXPECT_TRUE(method->itemText(row).contains(QStringLiteral("not available: ")));
    EXPECT_FALSE(method->itemData(row, Qt::ToolTipRole).toString().isEmpty());
  }
  EXPECT_GT(greyed, 0);
}

TEST_F(FormatChoicesTest, EachRunKeepsItsRecordAndPdfAndTheFieldsGoIntoIt) {
  Build(OneHardDisk());
  StartWithLastDrive();
  ShowFormatPage();
  QTest::keyClicks(Edit("edOperator"), QStringLiteral("Ada Lovelace"));
  QTest::keyClicks(Edit("edOrganisation"), QStringLiteral("Harbour Works"));
  QTest::keyClicks(Edit("edAssetTag"), QStringLiteral("IT-004711"));
  Box("cbQuickWipe")->setChecked(true);
  dialogs.messageDialogAnswer = IDOK;
  QTest::mouseClick(MainChild<QPushButton>("btRunBenchmarks"), Qt::LeftButton);
  const auto records = documents.Kept(".json");
  ASSERT_EQ(records.size(), 1u);
  ASSERT_EQ(documents.Kept(".pdf").size(), 1u);
  EXPECT_GT(fs::file_size(documents.Kept(".pdf")[0]), 1000u);
  const Json record = test::RecordIn(records[0]);
  EXPECT_EQ(record["operator"], "Ada Lovelace");
  EXPECT_EQ(record["organisation"], "Harbour Works");
  EXPECT_EQ(record["asset"], "IT-004711");
  ASSERT_EQ(dialogs.messageDialogs.size(), 1u);
  EXPECT_NE(dialogs.messageDialogs[0].text.find(u"The erase record was kept in " + records[0].parent_path().u16string() + u" as " +
                                                      records[0].filename().u16string()),
            std::u16string::npos);
  EXPECT_EQ(shell.settings[u"organisation"], u"Harbour Works");
}

TEST_F(FormatChoicesTest, TheFieldsOfTheLastRunAreThereAtTheNextStart) {
  shell.settings = {{u"operator", u"Ada Lovelace"}, {u"organisation", u"Harbour Works"}, {u"assetTag", u"IT-1"}};
  Build(OneHardDisk());
  StartWithLastDrive();
  EXPECT_EQ(Edit("edOperator")->text(), QStringLiteral("Ada Lovelace"));
  EXPECT_EQ(Edit("edOrganisation")->text(), QStringLiteral("Harbour Works"));
  EXPECT_EQ(Edit("edAssetTag")->text(), QStringLiteral("IT-1"));
}

TEST_F(FormatChoicesTest, TheSystemDiskNeedsItsTickBeforeTheQuestionIsAsked) {
  Build(test::OneHardDiskHoldingTheSystem("sda2", "/"));
  StartWithLastDrive();
  ShowFormatPage();
  QCheckBox* tick = Box("cbSystemDisk");
  EXPECT_TRUE(tick->isVisibleTo(&desktop->Main()));
  EXPECT_TRUE(tick->text().startsWith(QStringLiteral("I understand that this is the disk of the running system")));
  QTest::mouseClick(MainChild<QPushButton>("btRunBenchmarks"), Qt::LeftButton);
  EXPECT_TRUE(dialogs.taskDialogs.empty());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].icon, MessageIcon::Warning);

  tick->setChecked(true);
  dialogs.taskDialogAnswer = IDCANCEL;
  QTest::mouseClick(MainChild<QPushButton>("btRunBenchmarks"), Qt::LeftButton);
  ASSERT_EQ(dialogs.taskDialogs.size(), 1u);
  EXPECT_NE(dialogs.taskDialogs[0].content.find(u"THIS IS THE DISK OF THE RUNNING SYSTEM"), std::u16string::npos);
}

// 1366 x 768 at a scale of 2, less the room CentreOnScreen leaves for the
// window manager's frame.
TEST_F(FormatChoicesTest, TheFormatPageFitsHalfOfA1366By768ScreenWithEveryButtonWhole) {
  Build(OneHardDisk());
  StartWithLastDrive();
  ShowFormatPage();
  QWidget& main = desktop->Main();
  const QSize room(683 - 16, 384 - 48);
  EXPECT_LE(main.minimumSizeHint().width(), room.width());
  EXPECT_LE(main.minimumSizeHint().height(), room.height());
  main.resize(room);
  QCoreApplication::processEvents();
  ASSERT_EQ(main.size(), room);
  for (const char* name : {"btStop", "btSaveReport", "btRunBenchmarks", "btChooseAnother"}) {
    auto* button = MainChild<QPushButton>(name);
    const QRect shown(button->mapTo(&main, QPoint(0, 0)), button->size());
    EXPECT_TRUE(main.rect().contains(shown)) << name;
    EXPECT_GE(button->width(), button->sizeHint().width()) << name << ": its caption is cut";
  }
  auto* title = MainChild<QLabel>("lbDiskName");
  const QRect titleShown(title->mapTo(&main, QPoint(0, 0)), title->size());
  const QRect chooseShown(MainChild<QPushButton>("btChooseAnother")->mapTo(&main, QPoint(0, 0)),
                          MainChild<QPushButton>("btChooseAnother")->size());
  EXPECT_FALSE(titleShown.intersects(chooseShown));
  auto* speed = MainChild<QLabel>("lbSpeed");
  speed->setText(QStringLiteral("123.4 MB/s"));
  QCoreApplication::processEvents();
  EXPECT_GE(speed->width(), speed->sizeHint().width());
}

}  // namespace
}  // namespace orvella
