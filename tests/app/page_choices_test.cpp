// The choices of the format page as the window logic takes them into a run:
// the records kept by themselves, the record's fields, the read-back, the
// erase method, and the disk of the running system.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <algorithm>
#include <sstream>

#include "app/erase_report.h"
#include "app/main_window.h"
#include "app/view_fakes.h"
#include "app/window_rig.h"
#include "core/text.h"
#include "support/ata_drives.h"
#include "support/documents_folder.h"
#include "support/format_choices.h"
#include "support/desktop_fakes.h"
#include "support/recording_format_page.h"
#include "support/test_program.h"

namespace orvella {
namespace {

namespace fs = std::filesystem;

// Drive 2, the one the first show chooses, offers NVMe sanitize.
VirtualMachine TwoHardDisksAndAnNvmeDrive() {
  VirtualMachine machine;
  VirtualDrive nvme = test::HardDisk(2);
  nvme.busType = BusTypeNvme;
  nvme.nvme = VirtualNvme{};
  VirtualOwnErase own;
  own.sanitizeBlock = own.sanitizeCrypto = true;
  own.milliseconds = 2000;
  nvme.ownErase = own;
  machine.drives = {test::HardDisk(0), test::HardDisk(1), nvme};
  return machine;
}

std::string FileText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class PageChoices : public test::WindowRig {
 protected:
  PageChoices() : WindowRig(TwoHardDisksAndAnNvmeDrive()) { d.shell.documentsFolder = documents.path.u16string(); }

  Json KeptRecord() const {
    const std::vector<fs::path> records = documents.Kept(".json");
    return records.empty() ? Json() : test::RecordIn(records.front());
  }
  bool WroteToTheDrive() const {
    for (const auto& r : t.os.Requests())
      if (r.kind == RequestRecord::Kind::Write) return true;
    return false;
  }

  test::DocumentsFolder documents{"orvella-page-choices"};
  const fs::path& folder = documents.path;
};

TEST_F(PageChoices, EveryRunKeepsItsRecordAndCertificateByItselfAndTheEndingSaysWhere) {
  FirstShow();
  formatPage.quickWipeChecked = true;
  window.btRunBenchmarksClick();
  window.btRunBenchmarksClick();
  const std::vector<fs::path> files = documents.Kept();
  ASSERT_EQ(files.size(), 2u) << "the second run must not write over the first's record";
  for (const fs::path& file : files) {
    EXPECT_EQ(file.extension(), ".json");
    EXPECT_TRUE(file.filename().string().starts_with("erase-HD5S0123456789-")) << file;
  }
  // The fake window makes no PDF; it is asked for one beside each record.
  ASSERT_EQ(mainView.certificates.size(), 2u);
  const fs::path last = fs::path(mainView.certificates[1].first).replace_extension(".json");
  EXPECT_TRUE(fs::exists(last));
  ASSERT_EQ(d.dialogs.messageDialogs.size(), 2u);
  EXPECT_NE(d.dialogs.messageDialogs[1].text.find(u"The erase record was kept in " + last.parent_path().u16string() +
                                                  u" as " + last.filename().u16string() + u", its certificate as " +
                                                  fs::path(mainView.certificates[1].first).filename().u16string()),
            std::u16string::npos);
}

// Closing the window during the run stops it after asking; the record is
// kept before the ending is shown, so it is there whatever the user does next.
TEST_F(PageChoices, ARecordIsKeptWhenTheWindowIsClosedDuringTheRun) {
  FirstShow();
  formatPage.quickWipeChecked = true;
  formatPage.onMessages = [this] {
    if (formatPage.messageRuns == 1) window.FormClose();
  };
  window.btRunBenchmarksClick();
  ASSERT_EQ(d.dialogs.messageDialogs.size(), 1u);
  EXPECT_NE(d.dialogs.messageDialogs[0].text.find(u"kept in"), std::u16string::npos)
      << TextToUtf8(d.dialogs.messageDialogs[0].text);
  ASSERT_EQ(documents.Kept().size(), 1u);
  EXPECT_EQ(KeptRecord()["result"], "cancelled");
}

TEST_F(PageChoices, WithoutADocumentsFolderTheEndingSaysTheRecordWasNotKept) {
  d.shell.documentsFolder.clear();
  FirstShow();
  formatPage.quickWipeChecked = true;
  window.btRunBenchmarksClick();
  ASSERT_EQ(d.dialogs.messageDialogs.size(), 1u);
  EXPECT_NE(d.dialogs.messageDialogs[0].text.find(u"The record was not kept"), std::u16string::npos);
  EXPECT_TRUE(mainView.saveReportEnabled);
}

TEST_F(PageChoices, SaveEraseReportCopiesTheRecordButNeverWritesOverAFile) {
  FirstShow();
  formatPage.quickWipeChecked = true;
  d.dialogs.messageDialogAnswer = IDOK;
  window.btRunBenchmarksClick();
  const fs::path copy = folder / "copy.json";
  mainView.reportPath = copy.u16string();
  window.btSaveReportClick();
  EXPECT_EQ(FileText(copy), FileText(documents.Kept()[0]));
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].icon, MessageIcon::Information);

  std::ofstream(folder / "other.json") << "another drive's record";
  mainView.reportPath = (folder / "other.json").u16string();
  window.btSaveReportClick();
  EXPECT_EQ(FileText(folder / "other.json"), "another drive's record");
  ASSERT_EQ(d.dialogs.boxes.size(), 2u);
  EXPECT_EQ(d.dialogs.boxes[1].icon, MessageIcon::Error);
  EXPECT_NE(d.dialogs.boxes[1].text.find(u"already exists"), std::u16string::npos);

  // Nor over a certificate that stands where the copy's would go.
  std::ofstream(folder / "third.pdf") << "a certificate";
  mainView.reportPath = (folder / "third.json").u16string();
  window.btSaveReportClick();
  EXPECT_FALSE(fs::exists(folder / "third.json"));
  EXPECT_EQ(FileText(folder / "third.pdf"), "a certificate");
}

TEST_F(PageChoices, TheRecordFieldsAreKeptBetweenRunsAndGoIntoTheRecord) {
  d.shell.settings[u"operator"] = u"Ada Lovelace";
  FirstShow();
  EXPECT_EQ(mainView.recordFields.operatorName, u"Ada Lovelace");
  mainView.recordFields = {u"Grace Hopper ", u"Harbour Works", u"IT-004711"};
  formatPage.quickWipeChecked = true;
  window.btRunBenchmarksClick();
  const Json record = KeptRecord();
  EXPECT_EQ(record["operator"], "Grace Hopper");
  EXPECT_EQ(record["organisation"], "Harbour Works");
  EXPECT_EQ(record["asset"], "IT-004711");
  EXPECT_EQ(d.shell.settings[u"operator"], u"Grace Hopper ");
  EXPECT_EQ(d.shell.settings[u"organisation"], u"Harbour Works");
  EXPECT_EQ(d.shell.settings[u"assetTag"], u"IT-004711");
}

TEST_F(PageChoices, TheReadBackChosenIsTheOneThatRuns) {
  FirstShow();
  mainView.verify = VerifyMethod::Full;
  formatPage.quickWipeChecked = true;
  window.btRunBenchmarksClick();
  EXPECT_NE(d.dialogs.taskDialogs.back().content.find(u"Verification: every written byte is read back"),
            std::u16string::npos);
  EXPECT_EQ(KeptRecord()["verified"], "full");
}

TEST_F(PageChoices, AReadBackSwitchedOffIsSaidAndRecorded) {
  FirstShow();
  mainView.verify = VerifyMethod::Off;
  formatPage.quickWipeChecked = true;
  window.btRunBenchmarksClick();
  EXPECT_NE(d.dialogs.taskDialogs.back().content.find(u"Verification: none"), std::u16string::npos);
  EXPECT_EQ(KeptRecord()["verified"], "none");
}

TEST_F(PageChoices, QuickWipeTakesItsOwnReadBackAndTheNoteSaysItErasesNothing) {
  FirstShow();
  EXPECT_NE(mainView.choiceNote.find(u"Whole drive: every sector is overwritten with zeros."), std::u16string::npos);
  formatPage.quickWipeChecked = true;
  window.cbQuickWipeClick();
  EXPECT_EQ(mainView.verify, VerifyMethod::Full);
  EXPECT_NE(mainView.choiceNote.find(u"this is not an erase"), std::u16string::npos);
  formatPage.quickWipeChecked = false;
  window.cbQuickWipeClick();
  EXPECT_EQ(mainView.verify, VerifyMethod::Sample);
  EXPECT_NE(mainView.choiceNote.find(u"Whole drive"), std::u16string::npos);
}

TEST_F(PageChoices, TheMethodChoiceListsEveryMethodWithTheDrivesOwnEnabled) {
  FirstShow();
  ASSERT_EQ(mainView.methods.size(), kEraseMethods.size());
  EXPECT_EQ(mainView.method, EraseMethod::Zeros);
  std::map<EraseMethod, bool> available;
  for (const MethodLine& line : mainView.methods) {
    available[line.method] = line.available;
    EXPECT_TRUE(line.text.starts_with(Utf8ToText(EraseMethodName(line.method)))) << TextToUtf8(line.text);
    if (!line.available) {
      EXPECT_FALSE(line.reason.empty());
      EXPECT_NE(line.text.find(line.reason), std::u16string::npos);
    }
  }
  EXPECT_TRUE(available[EraseMethod::Zeros]);
  EXPECT_TRUE(available[EraseMethod::BlockErase]);
  EXPECT_TRUE(available[EraseMethod::CryptoErase]);
  EXPECT_FALSE(available[EraseMethod::SecurityErase]);
}

TEST_F(PageChoices, AMethodTheDriveDoesNotOfferIsTakenBackWithItsReason) {
  FirstShow();
  mainView.method = EraseMethod::SecurityErase;
  window.cbMethodChange();
  EXPECT_EQ(mainView.method, EraseMethod::Zeros);
  EXPECT_TRUE(mainView.choiceNote.starts_with(u"security-erase is not available on this drive: "));
}

TEST_F(PageChoices, AChosenPurgeRunsWithoutStopAndTheOverwriteChoicesDoNotApply) {
  FirstShow();
  formatPage.quickWipeChecked = true;  // left ticked from before: not for a purge
  mainView.method = EraseMethod::CryptoErase;
  window.cbMethodChange();
  EXPECT_FALSE(mainView.overwriteChoicesEnabled);
  EXPECT_NE(mainView.choiceNote.find(u"The drive erases itself"), std::u16string::npos);
  bool runChoicesDuringRun = true;
  formatPage.onMessages = [&] { runChoicesDuringRun = mainView.runChoicesEnabled; };
  window.btRunBenchmarksClick();
  EXPECT_FALSE(runChoicesDuringRun);
  EXPECT_TRUE(mainView.runChoicesEnabled);
  EXPECT_FALSE(mainView.overwriteChoicesEnabled) << "the purge is still the method chosen";
  EXPECT_EQ(std::count(formatPage.events.begin(), formatPage.events.end(), "enable btStop"), 0);
  EXPECT_EQ(d.dialogs.taskDialogs.back().instruction, u"All data on the selected device will be lost");
  const Json record = KeptRecord();
  EXPECT_EQ(record["mode"], "full");
  EXPECT_EQ(record["sanitization"]["eraseMethod"], "crypto-erase");
  EXPECT_EQ(record["purge"]["ending"], "complete");
  EXPECT_EQ(record["result"], "complete");
}

class SystemDiskPage : public PageChoices {
 protected:
  SystemDiskPage() {
    VirtualVolume root;
    root.name = "sdc2";
    root.deviceNumber = 2;
    root.mountPoint = "/";
    t.os.Machine().volumes.push_back(root);
  }
};

TEST_F(SystemDiskPage, TheEraseIsRefusedUnlessTheUserTicksThatTheyUnderstand) {
  FirstShow();
  EXPECT_TRUE(mainView.systemDiskTick.starts_with(u"I understand that this is the disk of the running system"));
  formatPage.quickWipeChecked = true;
  window.btRunBenchmarksClick();
  EXPECT_TRUE(d.dialogs.taskDialogs.empty()) << "refused before the question";
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_NE(d.dialogs.boxes[0].text.find(u"This drive holds the running system: the file system at /"),
            std::u16string::npos);
  EXPECT_FALSE(WroteToTheDrive());
  EXPECT_TRUE(documents.Kept().empty());
}

TEST_F(SystemDiskPage, TickedTheQuestionSaysSoInPlainWordsFirst) {
  FirstShow();
  mainView.systemDiskTicked = true;
  formatPage.quickWipeChecked = true;
  d.dialogs.taskDialogAnswer = IDCANCEL;
  window.btRunBenchmarksClick();
  ASSERT_EQ(d.dialogs.taskDialogs.size(), 1u);
  const std::u16string& content = d.dialogs.taskDialogs[0].content;
  const std::size_t warning = content.find(u"THIS IS THE DISK OF THE RUNNING SYSTEM: it holds the file system at /");
  ASSERT_NE(warning, std::u16string::npos);
  EXPECT_LT(warning, content.find(u"Device: "));
  EXPECT_FALSE(WroteToTheDrive());
}

TEST_F(SystemDiskPage, ADriveMountedAtTheRootSinceItWasOpenedIsRefusedToo) {
  t.os.Machine().volumes.clear();
  FirstShow();
  EXPECT_TRUE(mainView.systemDiskTick.empty());
  VirtualVolume root;
  root.name = "sdc2";
  root.deviceNumber = 2;
  root.mountPoint = "/";
  t.os.Machine().volumes.push_back(root);
  mainView.systemDiskTicked = true;  // a stale tick of no box cannot let it through
  mainView.systemDiskTick.clear();
  window.btRunBenchmarksClick();
  EXPECT_TRUE(d.dialogs.taskDialogs.empty());
  EXPECT_FALSE(mainView.systemDiskTick.empty());
}

// Drive 2, the one the first show chooses, is a hard disk locked by a
// password: it aborts every write.
class LockedDrivePage : public PageChoices {
 protected:
  LockedDrivePage() {
    VirtualDrive locked = test::HardDisk(2);
    locked.ata.identify->words[128] = 0x0027;
    t.os.Machine().drives[2] = locked;
  }
};

TEST_F(LockedDrivePage, ZerosAreNotOfferedAndTheEraseIsRefusedBeforeTheQuestion) {
  FirstShow();
  const auto zeros = std::find_if(mainView.methods.begin(), mainView.methods.end(),
                                  [](const MethodLine& line) { return line.method == EraseMethod::Zeros; });
  ASSERT_NE(zeros, mainView.methods.end());
  EXPECT_FALSE(zeros->available);
  const std::u16string why = u"zeros is not available on this drive: the drive is locked by a password";
  EXPECT_TRUE(mainView.choiceNote.starts_with(why)) << TextToUtf8(mainView.choiceNote);
  window.btRunBenchmarksClick();
  EXPECT_TRUE(d.dialogs.taskDialogs.empty()) << "refused before the question";
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_TRUE(d.dialogs.boxes[0].text.starts_with(why)) << TextToUtf8(d.dialogs.boxes[0].text);
  EXPECT_FALSE(WroteToTheDrive());
  EXPECT_TRUE(documents.Kept().empty());
}

}  // namespace
}  // namespace orvella
