#include "format/erase_question.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "format_rig.h"
#include "reports/text_forms.h"
#include "support/hostile_text.h"

namespace orvella {
namespace {

using test::Drive;
using test::FormatRig;

VirtualVolume MountedVolume(const char* name, const char* mountPoint) {
  VirtualVolume v;
  v.name = name;
  v.deviceNumber = 1;
  v.mountPoint = mountPoint;
  return v;
}

struct QuestionRig : FormatRig {
  QuestionRig(std::int64_t length, std::vector<VirtualVolume> volumes) : FormatRig(Drive(length), std::move(volumes)) {
    t.program.DeviceTables[1].IdentifyData.SN = u"  SN-4711  ";
  }
  std::string Content(bool quick, VerifyMethod verify) {
    return TextToUtf8(AskToErase(t.drive, EraseChoices{quick, verify, std::nullopt, {}, {}, {}, {}}).content);
  }
};

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The question names the drive in every way a person can check it, and
// what will be taken down, before anything is destroyed.
TEST(EraseQuestion, ListsTheDriveItsFileSystemsTheModeAndTheReadBack) {
  QuestionRig rig(64 << 20, {MountedVolume("E:", "E:\\"), MountedVolume("F:", "F:\\data")});
  const std::string whole = rig.Content(false, VerifyMethod::Sample);
  EXPECT_TRUE(whole.starts_with("Are you absolutely sure you want to irreversibly destroy all data on this device?"
                                "\r\n\r\n[1]  MODEL-A    FW01    [title]\r\n\r\n"))
      << whole;
  for (const char* part : {"Device: \\\\.\\PhysicalDrive1", "Model: MODEL-A", "Serial: SN-4711\r\n",
                           "(131,072 sectors)", "File systems that will be unmounted:\r\n    E:\\ (\\\\.\\E:)",
                           "    F:\\data (\\\\.\\F:)", "Mode: whole drive", "a NIST SP 800-88 sample"})
    EXPECT_TRUE(Holds(whole, part)) << part << " in " << whole;

  const std::string quick = rig.Content(true, VerifyMethod::Off);
  EXPECT_TRUE(Holds(quick, "most of the data stays readable")) << quick;
  EXPECT_TRUE(Holds(quick, "Verification: none")) << quick;
  EXPECT_EQ(AskToErase(rig.t.drive, EraseChoices{true, VerifyMethod::Full, std::nullopt, {}, {}, {}, {}}).instruction,
            u"The partitions on the selected device will be lost");
}

// The question is what a person checks before the erase: a drive's name
// must not be able to redraw it into naming another disk.
TEST(EraseQuestion, WhatTheDriveAndItsVolumesReportIsShownNotObeyed) {
  QuestionRig rig(64 << 20, {MountedVolume("E:", "E:\\\x1b[1A\xe2\x80\xae")});
  TIdentifyDeviceData& data = rig.t.program.DeviceTables[1].IdentifyData;
  data.Model = Utf8ToText(test::kSpoofingProduct);
  data.SN = Utf8ToText(test::kReversingProduct);
  rig.t.drive.DeviceTitle = GetDeviceTitle(rig.t.program.DeviceTables, 1, u'.');
  const std::string content = rig.Content(false, VerifyMethod::Full);
  std::string withoutBreaks;
  for (char c : content)
    if (c != '\r') withoutBreaks += c;
  EXPECT_FALSE(test::HoldsRawControls(withoutBreaks)) << content;
  for (const char* part : {"Model: Stick\\x1b[2K\\x0d\\x1b[1A\\x1b[2KDrive 0:", "Serial: Stick<U+202E>KSID PUKCAB\r\n",
                           "    E:\\\\x1b[1A<U+202E> (", "\r\n\r\n[1]  Stick\\x1b[2K"})
    EXPECT_TRUE(Holds(content, part)) << part << " in " << content;
}

TEST(EraseQuestion, ADriveWithoutMountedFileSystemsSaysSoAndManyAreCounted) {
  EXPECT_TRUE(Holds(QuestionRig(8 << 20, {}).Content(false, VerifyMethod::Full), "File systems: none mounted"));
  std::vector<VirtualVolume> many;
  const std::vector<std::string> names = {"E:", "F:", "G:", "H:", "I:", "J:"};
  for (const std::string& name : names) many.push_back(MountedVolume(name.c_str(), (name + "\\").c_str()));
  const std::string content = QuestionRig(8 << 20, many).Content(false, VerifyMethod::Full);
  EXPECT_TRUE(Holds(content, "    H:\\ (\\\\.\\H:)\r\n    and 2 more")) << content;
  EXPECT_LE(content.size(), 1024u);  // what a task dialog shows whole
}

}  // namespace
}  // namespace orvella
