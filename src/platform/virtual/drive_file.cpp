// Turns a drive description into a VirtualMachine. Field names are those of
// virtual_machine.h; absent fields keep the defaults given there.
#include "platform/virtual/drive_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <vector>

#include "core/bounded_file.h"
#include "core/display_text.h"
#include "core/json_depth.h"
#include "core/text.h"
#include "device/device_records.h"
#include "platform/error_codes.h"
#include "platform/virtual/drive_file_names.h"

namespace orvella {
namespace {

using nlohmann::json;

constexpr std::size_t kIdentifyWords = 256;
// A nlohmann message quotes the token it stopped at, which may be long.
constexpr std::size_t kMessageLimit = 160;
constexpr std::size_t kSmartAttributeSlots = 30;
constexpr std::uint64_t kLargestRawValue = (std::uint64_t{1} << 48) - 1;

template <std::integral T>
T IntegerAt(const json& value, const std::string& path, std::span<const NamedValue> names = {}) {
  return JsonObjectReader::ToInteger<T>(value, path, names);
}

// A size or an offset: a number of bytes, or {"sectors": N} counted in the
// drive's sectors.
std::int64_t ByteCount(const json& value, const std::string& path, std::uint32_t bytesPerSector) {
  if (!value.is_object()) {
    const auto bytes = IntegerAt<std::int64_t>(value, path);
    if (bytes < 0) throw DriveFileError(path + ": must not be negative");
    return bytes;
  }
  JsonObjectReader inSectors(value, path);
  const auto sectors = IntegerAt<std::int64_t>(inSectors.Required("sectors"), inSectors.PathOf("sectors"));
  inSectors.CheckAllKeysUsed();
  if (bytesPerSector == 0) throw DriveFileError(path + ": is given in sectors, but the drive's bytesPerSector is 0");
  if (sectors < 0) throw DriveFileError(path + ": must not be negative");
  if (sectors > std::numeric_limits<std::int64_t>::max() / bytesPerSector)
    throw DriveFileError(path + ": is too large");
  return sectors * bytesPerSector;
}

ByteRange ReadRange(JsonObjectReader& object, std::uint32_t bytesPerSector) {
  ByteRange range;
  range.from = ByteCount(object.Required("from"), object.PathOf("from"), bytesPerSector);
  range.to = ByteCount(object.Required("to"), object.PathOf("to"), bytesPerSector);
  if (range.to <= range.from) object.Fail("to", "must lie after \"from\"");
  return range;
}

// An IDENTIFY text must fit its words, two characters to a word.
void ReadIdentifyText(JsonObjectReader& object, std::string_view key, std::size_t words, std::string& target) {
  object.ReadBytes(key, target);
  if (target.size() > 2 * words)
    object.Fail(key, "is longer than " + std::to_string(2 * words) + " characters");
}

VirtualIdentify ReadIdentify(JsonObjectReader& object) {
  VirtualIdentify identify;
  ReadIdentifyText(object, "model", 20, identify.model);
  ReadIdentifyText(object, "serial", 10, identify.serial);
  ReadIdentifyText(object, "firmware", 4, identify.firmware);
  if (!object.Has("words")) return identify;
  const json& words = object.Required("words");
  if (!words.is_object()) object.Fail("words", "must be an object {\"word number\": value, ...}");
  for (const auto& [key, value] : words.items()) {
    const std::string path = object.PathOf("words") + "." + key;
    const bool decimal = !key.empty() && key.size() <= 3 && key.find_first_not_of("0123456789") == std::string::npos;
    if (!decimal || std::stoul(key) >= kIdentifyWords)
      throw DriveFileError(path + ": word numbers are 0 to 255, in decimal");
    identify.words[std::stoi(key)] = IntegerAt<std::uint16_t>(value, path);
  }
  return identify;
}

VirtualSmartAttribute ReadSmartAttribute(JsonObjectReader& object) {
  VirtualSmartAttribute attribute;
  attribute.id = IntegerAt<std::uint8_t>(object.Required("id"), object.PathOf("id"));
  object.Read("flags", attribute.flags);
  object.Read("current", attribute.current);
  object.Read("worst", attribute.worst);
  object.Read("raw", attribute.raw);
  if (attribute.raw > kLargestRawValue) object.Fail("raw", "does not fit in 48 bits");
  object.Read("threshold", attribute.threshold);
  return attribute;
}

VirtualSmart ReadSmart(JsonObjectReader& object) {
  VirtualSmart smart;
  object.Read("enabled", smart.enabled);
  object.ReadEach("attributes", [&](JsonObjectReader& a) { smart.attributes.push_back(ReadSmartAttribute(a)); });
  if (smart.attributes.size() > kSmartAttributeSlots)
    object.Fail("attributes", "holds more than " + std::to_string(kSmartAttributeSlots) + " attributes");
  return smart;
}

VirtualAta ReadAta(JsonObjectReader& object) {
  VirtualAta ata;
  object.Read("versionAnswers", ata.versionAnswers);
  object.Read("ideDeviceMap", ata.ideDeviceMap);
  object.Read("receiveAnswers", ata.receiveAnswers);
  object.Read("sendAnswers", ata.sendAnswers);
  object.Read("miniportAnswers", ata.miniportAnswers);
  object.Read("scsiAddressAnswers", ata.scsiAddressAnswers);
  object.Read("scsiTargetId", ata.scsiTargetId);
  object.ReadObject("identify", [&](JsonObjectReader& i) { ata.identify = ReadIdentify(i); });
  object.ReadObject("smart", [&](JsonObjectReader& s) { ata.smart = ReadSmart(s); });
  object.Read("taskFileAnswers", ata.taskFileAnswers);
  object.Read("nativeSectors", ata.nativeSectors);
  object.Read("factorySectors", ata.factorySectors);
  return ata;
}

template <typename E>
void ReadChoice(JsonObjectReader& object, std::string_view key, E& target,
                std::initializer_list<std::pair<std::string_view, E>> choices) {
  if (!object.Has(key)) return;
  const nlohmann::json& value = object.Required(key);
  std::string names;
  for (const auto& [name, choice] : choices) {
    if (value.is_string() && value.get<std::string>() == name) {
      target = choice;
      return;
    }
    names += (names.empty() ? "" : ", ") + std::string(name);
  }
  object.Fail(key, "must be one of " + names);
}

VirtualOwnErase ReadOwnErase(JsonObjectReader& object) {
  using E = VirtualOwnErase;
  E own;
  object.Read("sanitizeBlock", own.sanitizeBlock);
  object.Read("sanitizeCrypto", own.sanitizeCrypto);
  object.Read("sanitizeOverwrite", own.sanitizeOverwrite);
  object.Read("formatNvm", own.formatNvm);
  object.Read("formatCrypto", own.formatCrypto);
  object.Read("acceptsUnclaimedCryptoFormat", own.acceptsUnclaimedCryptoFormat);
  object.Read("sanitizeFrozen", own.sanitizeFrozen);
  object.Read("foreignPassword", own.foreignPassword);
  ReadChoice(object, "state", own.state,
             {{"idle", E::State::Idle}, {"in-progress", E::State::InProgress}, {"failed", E::State::Failed}});
  object.Read("milliseconds", own.milliseconds);
  if (own.milliseconds < 0) object.Fail("milliseconds", "must not be negative");
  ReadChoice(object, "blockEraseReads", own.blockEraseFill, {{"zeros", E::Fill::Zeros}, {"ones", E::Fill::Ones}});
  ReadChoice(object, "lie", own.lie,
             {{"none", E::Lie::None},
              {"changes-nothing", E::Lie::ChangesNothing},
              {"fails-half-way", E::Lie::FailsHalfWay},
              {"unplugged-half-way", E::Lie::UnpluggedHalfWay},
              {"never-completes", E::Lie::NeverCompletes}});
  return own;
}

VirtualNvme ReadNvme(JsonObjectReader& object) {
  VirtualNvme nvme;
  object.Read("criticalWarning", nvme.criticalWarning);
  object.Read("temperatureKelvin", nvme.temperatureKelvin);
  object.Read("availableSpare", nvme.availableSpare);
  object.Read("availableSpareThreshold", nvme.availableSpareThreshold);
  object.Read("percentageUsed", nvme.percentageUsed);
  object.Read("dataUnitsRead", nvme.dataUnitsRead);
  object.Read("dataUnitsWritten", nvme.dataUnitsWritten);
  object.Read("hostReadCommands", nvme.hostReadCommands);
  object.Read("hostWriteCommands", nvme.hostWriteCommands);
  object.Read("controllerBusyMinutes", nvme.controllerBusyMinutes);
  object.Read("powerCycles", nvme.powerCycles);
  object.Read("powerOnHours", nvme.powerOnHours);
  object.Read("unsafeShutdowns", nvme.unsafeShutdowns);
  object.Read("mediaErrors", nvme.mediaErrors);
  object.Read("errorLogEntries", nvme.errorLogEntries);
  object.Read("warningTemperatureMinutes", nvme.warningTemperatureMinutes);
  object.Read("criticalTemperatureMinutes", nvme.criticalTemperatureMinutes);
  object.Read("warningThresholdKelvin", nvme.warningThresholdKelvin);
  object.Read("criticalThresholdKelvin", nvme.criticalThresholdKelvin);
  return nvme;
}

RequestFault ReadRequestFault(JsonObjectReader& object) {
  static constexpr NamedValue kPropertyIds[] = {
      {"StorageDeviceProperty", 0}, {"StorageAdapterProperty", 1}, {"StorageDeviceProtocolSpecificProperty", 50}};
  RequestFault fault;
  fault.controlCode =
      IntegerAt<std::uint32_t>(object.Required("controlCode"), object.PathOf("controlCode"), DriveControlCodeNames());
  object.Read("propertyId", fault.propertyId, kPropertyIds);
  object.Read("ataCommand", fault.ataCommand);
  object.Read("ataFeature", fault.ataFeature);
  object.Read("error", fault.error, ErrorCodeNames());
  object.Read("replyBytes", fault.replyBytes);
  return fault;
}

void ReadMedium(JsonObjectReader& object, VirtualDrive& drive) {
  object.Read("writeProtected", drive.writeProtected);
  object.ReadEach("writeErrors", [&](JsonObjectReader& e) {
    const ByteRange range = ReadRange(e, drive.bytesPerSector);
    std::uint32_t error = ERROR_IO_DEVICE;
    e.Read("error", error, ErrorCodeNames());
    drive.writeErrors.emplace_back(range, error);
  });
  object.ReadEach("lostWrites",
                  [&](JsonObjectReader& e) { drive.lostWrites.push_back(ReadRange(e, drive.bytesPerSector)); });
  object.ReadEach("readErrors", [&](JsonObjectReader& e) {
    const ByteRange range = ReadRange(e, drive.bytesPerSector);
    std::uint32_t error = ERROR_IO_DEVICE;
    e.Read("error", error, ErrorCodeNames());
    drive.readErrors.emplace_back(range, error);
  });
  object.ReadEach("seekErrors",
                  [&](JsonObjectReader& e) { drive.seekErrors.push_back(ReadRange(e, drive.bytesPerSector)); });
  if (object.Has("unplugAt"))
    drive.unplugAt = ByteCount(object.Required("unplugAt"), object.PathOf("unplugAt"), drive.bytesPerSector);
  object.Read("unplugError", drive.unplugError, ErrorCodeNames());
  object.Read("flushError", drive.flushError, ErrorCodeNames());
  object.Read("speedLimitBytesPerSecond", drive.speedLimitBytesPerSecond);
  // Below one byte a second a single block would take longer than any
  // clock can count.
  const double speed = drive.speedLimitBytesPerSecond;
  if (speed < 0) object.Fail("speedLimitBytesPerSecond", "must not be negative");
  if (speed != 0 && speed < 1)
    object.Fail("speedLimitBytesPerSecond", "must be 0 (no limit) or at least 1 byte per second");
}

VirtualVolume ReadVolume(JsonObjectReader& object, std::uint32_t driveNumber) {
  VirtualVolume volume;
  object.ReadBytes("name", volume.name);
  if (volume.name.empty()) object.Fail("name", "is missing (a drive name such as \"C:\")");
  // The drive strings list ends each name with a zero and its root with a
  // backslash: either inside a name would split or cut the list, and the
  // volumes after it would never be asked to lock.
  if (volume.name.find_first_of(std::string_view("\0\\", 2)) != std::string::npos)
    object.Fail("name", "must not hold a zero byte or a backslash");
  volume.deviceNumber = driveNumber;
  object.Read("deviceNumber", volume.deviceNumber);
  object.Read("deviceType", volume.deviceType);
  object.Read("partition", volume.partition);
  object.Read("openError", volume.openError, ErrorCodeNames());
  object.Read("queryError", volume.queryError, ErrorCodeNames());
  object.Read("readOpenError", volume.readOpenError, ErrorCodeNames());
  object.Read("lockError", volume.lockError, ErrorCodeNames());
  object.Read("dismountError", volume.dismountError, ErrorCodeNames());
  object.Read("extendedIoError", volume.extendedIoError, ErrorCodeNames());
  object.ReadBytes("mountPoint", volume.mountPoint);
  if (object.Has("holders")) {
    volume.holders.emplace();
    object.ReadEach("holders", [&](JsonObjectReader& h) {
      VolumeHolder holder;
      h.Read("pid", holder.pid);
      std::string command;
      h.ReadBytes("command", command);
      holder.command = Utf8ToText(command);
      volume.holders->push_back(holder);
    });
  }
  return volume;
}

// The device descriptor ends each of its texts with a zero byte, so a zero
// inside one would silently cut off the bytes after it.
void ReadDescriptorText(JsonObjectReader& object, std::string_view key, std::optional<std::string>& target) {
  object.ReadBytes(key, target);
  if (target && target->find('\0') != std::string::npos)
    object.Fail(key, "must not hold a zero byte (the device descriptor ends its texts with one)");
}

VirtualDrive ReadDrive(JsonObjectReader& object, std::vector<VirtualVolume>& volumes) {
  VirtualDrive drive;
  // The device walk tries the drive numbers 0 to 255 only.
  drive.number = IntegerAt<std::uint8_t>(object.Required("number"), object.PathOf("number"));
  object.Read("openError", drive.openError, ErrorCodeNames());
  object.Read("exclusiveOpenError", drive.exclusiveOpenError, ErrorCodeNames());
  object.Read("bytesPerSector", drive.bytesPerSector);
  if (drive.bytesPerSector > kLargestSectorSize)
    object.Fail("bytesPerSector", "is larger than any disk's sectors (at most 65536)");
  drive.length = ByteCount(object.Required("length"), object.PathOf("length"), drive.bytesPerSector);
  object.Read("maxTransferLength", drive.maxTransferLength);
  object.Read("busType", drive.busType, BusTypeNames());
  ReadDescriptorText(object, "vendor", drive.vendor);
  ReadDescriptorText(object, "product", drive.product);
  ReadDescriptorText(object, "revision", drive.revision);
  ReadDescriptorText(object, "serial", drive.serial);
  object.Read("removable", drive.removable);
  object.Read("deviceDescriptorSize", drive.deviceDescriptorSize);
  object.ReadObject("ata", [&](JsonObjectReader& a) { drive.ata = ReadAta(a); });
  object.ReadObject("nvme", [&](JsonObjectReader& n) { drive.nvme = ReadNvme(n); });
  object.ReadObject("ownErase", [&](JsonObjectReader& e) { drive.ownErase = ReadOwnErase(e); });
  object.ReadEach("requestFaults", [&](JsonObjectReader& f) { drive.requestFaults.push_back(ReadRequestFault(f)); });
  ReadMedium(object, drive);
  object.ReadEach("volumes", [&](JsonObjectReader& v) { volumes.push_back(ReadVolume(v, drive.number)); });
  return drive;
}

// Two drives with one number, or two volumes with one name, would make the
// simulated machine answer for only one of them.
void CheckUnique(const VirtualMachine& machine) {
  std::set<std::uint32_t> numbers;
  for (std::size_t i = 0; i < machine.drives.size(); ++i)
    if (!numbers.insert(machine.drives[i].number).second)
      throw DriveFileError("drives[" + std::to_string(i) + "].number: drive " +
                           std::to_string(machine.drives[i].number) + " is described twice");
  std::set<std::string_view> names;
  for (const VirtualVolume& volume : machine.volumes)
    if (!names.insert(volume.name).second) throw DriveFileError("volume " + Excerpt(volume.name) + " is described twice");
}

// JSON itself lets a key appear twice in an object and keeps the last
// value; a description refuses that, so that a key repeated by mistake
// cannot go unnoticed. A second, event-driven read of the text that knows
// the place of every key (the parser's own callbacks would cost time in
// the square of a list's length).
class RepeatedKeyCheck {
 public:
  bool start_object(std::size_t) { return Open(false); }
  bool start_array(std::size_t) { return Open(true); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }
  bool key(std::string& name) {
    Level& level = levels_.back();
    level.key = name;
    if (!level.keys.insert(name).second) throw DriveFileError(Path() + ": is given twice in one object");
    return true;
  }
  bool null() { return ValueDone(); }
  bool boolean(bool) { return ValueDone(); }
  bool number_integer(json::number_integer_t) { return ValueDone(); }
  bool number_unsigned(json::number_unsigned_t) { return ValueDone(); }
  bool number_float(json::number_float_t, const std::string&) { return ValueDone(); }
  bool string(std::string&) { return ValueDone(); }
  bool binary(json::binary_t&) { return ValueDone(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

 private:
  struct Level {
    explicit Level(bool list) : isList(list) {}
    bool isList;
    std::size_t index = 0;  // of the list element being read
    std::string key;        // of the object member being read
    std::set<std::string, std::less<>> keys;
  };

  bool Open(bool list) {
    levels_.emplace_back(list);
    return true;
  }
  bool Close() {
    levels_.pop_back();
    return ValueDone();
  }
  bool ValueDone() {
    if (!levels_.empty() && levels_.back().isList) ++levels_.back().index;
    return true;
  }

  std::string Path() const {
    std::string path;
    for (const Level& level : levels_) {
      if (level.isList) path += "[" + std::to_string(level.index) + "]";
      else path += (path.empty() ? "" : ".") + Excerpt(level.key);
    }
    return path;
  }

  std::vector<Level> levels_;
};

// nlohmann's messages begin with an exception tag: "[json.exception...] ".
std::string WithoutTag(const std::string& message) {
  const auto end = message.find("] ");
  return end == std::string::npos ? message : message.substr(end + 2);
}

}  // namespace

VirtualMachine ParseDriveDescription(std::string_view text) {
  // The JSON reader takes a zero byte for the end of the text and would
  // drop everything after it without a word.
  if (const auto zero = text.find('\0'); zero != std::string_view::npos)
    throw DriveFileError("not valid JSON: a zero byte at byte " + std::to_string(zero + 1) +
                         " (inside a text, write \\u0000)");
  if (NestedDeeperThan(text, kDriveFileDepthLimit))
    throw DriveFileError("nests deeper than " + std::to_string(kDriveFileDepthLimit) + " levels");
  json document;
  try {
    document = json::parse(text);
  } catch (const json::exception& e) {  // syntax errors, and numbers beyond a double's range
    throw DriveFileError("not valid JSON: " + Excerpt(WithoutTag(e.what()), kMessageLimit));
  }
  RepeatedKeyCheck repeatedKeys;
  json::sax_parse(text, &repeatedKeys);
  VirtualMachine machine;
  JsonObjectReader root(document, "");
  root.Required("drives");
  root.ReadEach("drives", [&](JsonObjectReader& d) { machine.drives.push_back(ReadDrive(d, machine.volumes)); });
  root.Read("driveStringsFail", machine.driveStringsFail);
  root.CheckAllKeysUsed();
  CheckUnique(machine);
  return machine;
}

VirtualMachine ReadDriveFile(const std::string& path) {
  // A device or a pipe is no description, and reading one might never end.
  const FileRead file = ReadBoundedFile(path, kDriveFileSizeLimit);
  if (!file.text) {
    const bool device = file.problem == "not a regular file";
    throw DriveFileError(path + ": cannot be read: " + file.problem +
                         (device ? " (a drive description file is needed)" : ""));
  }
  try {
    return ParseDriveDescription(*file.text);
  } catch (const DriveFileError& e) {
    throw DriveFileError(path + ": " + e.what());
  }
}

}  // namespace orvella
