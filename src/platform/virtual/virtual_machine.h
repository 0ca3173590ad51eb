// The description of a simulated machine: its physical drives, what each
// answers to the storage, ATA and volume requests, and the faults it shows.
// Read from a drive description file (drive_file.h) or taken from the
// built-in demo set (demo_drives.h). Plain data; VirtualOs acts it out.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/os.h"

namespace orvella {

// A half-open byte range [from, to).
struct ByteRange {
  std::int64_t from = 0;
  std::int64_t to = 0;
  bool Overlaps(std::int64_t offset, std::int64_t length) const {
    return offset < to && offset + length > from;
  }
};

// Makes one kind of request fail, or answer short. A fault matches a request
// when every field that is set matches it.
struct RequestFault {
  std::uint32_t controlCode = 0;
  std::optional<std::uint32_t> propertyId;  // IOCTL_STORAGE_QUERY_PROPERTY only
  std::optional<std::uint8_t> ataCommand;   // pass-through requests: command register
  std::optional<std::uint8_t> ataFeature;   // pass-through requests: features register
  // The request returns false with this last error (0 is allowed: a failure
  // that reports no code) ...
  std::uint32_t error = 1;
  // ... unless replyBytes is set: then it succeeds and reports this many
  // bytes returned (a short or odd-sized reply).
  std::optional<std::uint32_t> replyBytes;
};

// The drive's ATA IDENTIFY DEVICE data: the three texts, placed in their
// words as ATA stores them, then any raw words, which win.
struct VirtualIdentify {
  std::string model;     // words 27-46
  std::string serial;    // words 10-19
  std::string firmware;  // words 23-26
  std::map<int, std::uint16_t> words;
};

struct VirtualSmartAttribute {
  std::uint8_t id = 0;
  std::uint16_t flags = 0;
  std::uint8_t current = 0;
  std::uint8_t worst = 0;
  std::uint64_t raw = 0;  // 48 bits
  std::uint8_t threshold = 0;  // on the thresholds page; 0: never fails
};

struct VirtualSmart {
  bool enabled = true;  // S.M.A.R.T. state; ENABLE/DISABLE OPERATIONS change it
  std::vector<VirtualSmartAttribute> attributes;  // at most 30
};

// How the drive answers ATA pass-through.
struct VirtualAta {
  bool versionAnswers = true;       // SMART_GET_VERSION succeeds
  std::uint8_t ideDeviceMap = 0x01; // bIDEDeviceMap of the version reply
  bool receiveAnswers = true;       // SMART_RCV_DRIVE_DATA carries commands
  bool sendAnswers = true;          // SMART_SEND_DRIVE_COMMAND carries commands
  bool miniportAnswers = false;     // IOCTL_SCSI_MINIPORT identify
  bool scsiAddressAnswers = true;   // IOCTL_SCSI_GET_ADDRESS
  std::uint8_t scsiTargetId = 0;
  std::optional<VirtualIdentify> identify;  // none: IDENTIFY is aborted
  std::optional<VirtualSmart> smart;        // none: S.M.A.R.T. commands are aborted
  // IOCTL_ATA_PASS_THROUGH. The native maximum commands are answered where
  // IDENTIFY claims their feature set (HPA: word 82 bit 10; Accessible Max
  // Address: word 119 bit 8), DEVICE CONFIGURATION IDENTIFY where it claims
  // the overlay (word 83 bit 11); every other command is aborted.
  bool taskFileAnswers = true;
  std::optional<std::uint64_t> nativeSectors;   // none: what IDENTIFY offers
  std::optional<std::uint64_t> factorySectors;  // the overlay's maximum + 1; none: the native count
};

// The SMART / Health Information log of an NVMe drive.
struct VirtualNvme {
  std::uint8_t criticalWarning = 0;
  std::uint16_t temperatureKelvin = 0;
  std::uint8_t availableSpare = 100;
  std::uint8_t availableSpareThreshold = 10;
  std::uint8_t percentageUsed = 0;
  std::uint64_t dataUnitsRead = 0;
  std::uint64_t dataUnitsWritten = 0;
  std::uint64_t hostReadCommands = 0;
  std::uint64_t hostWriteCommands = 0;
  std::uint64_t controllerBusyMinutes = 0;
  std::uint64_t powerCycles = 0;
  std::uint64_t powerOnHours = 0;
  std::uint64_t unsafeShutdowns = 0;
  std::uint64_t mediaErrors = 0;
  std::uint64_t errorLogEntries = 0;
  std::uint32_t warningTemperatureMinutes = 0;
  std::uint32_t criticalTemperatureMinutes = 0;
  // Identify Controller's WCTEMP and CCTEMP; 0: not reported.
  std::uint16_t warningThresholdKelvin = 0;
  std::uint16_t criticalThresholdKelvin = 0;
};

// What a drive's own erase commands do. An ATA drive claims its SANITIZE
// and Security commands in its IDENTIFY words (59, 82, 128, 89, 90); an
// NVMe drive's offers, and a SCSI or SAS drive's SANITIZE service actions,
// are given here. The state, the time and the lies apply to all.
struct VirtualOwnErase {
  // NVMe: SANICAP, OACS (Format NVM) and FNA (crypto erase by format).
  // SCSI: the SANITIZE service actions (the three sanitize flags).
  bool sanitizeBlock = false;
  bool sanitizeCrypto = false;
  bool sanitizeOverwrite = false;
  bool formatNvm = false;
  bool formatCrypto = false;
  // The drive accepts a crypto format it does not claim (as QEMU's does).
  bool acceptsUnclaimedCryptoFormat = false;
  // ATA Security: a password found set (IDENTIFY word 128 bit 1) is
  // someone else's rather than the program's own, left by an earlier run.
  bool foreignPassword = false;
  // Both.
  bool sanitizeFrozen = false;  // ATA: SANITIZE STATUS EXT reports the frozen state
  enum class State { Idle, InProgress, Failed };
  State state = State::Idle;  // as the drive is found
  std::int64_t milliseconds = 2000;  // how long a sanitize takes
  enum class Fill { Zeros, Ones };
  Fill blockEraseFill = Fill::Zeros;  // what a block erase leaves
  std::uint8_t BlockEraseByte() const { return blockEraseFill == Fill::Ones ? 0xFF : 0x00; }
  enum class Lie {
    None,
    ChangesNothing,   // reports success but the medium keeps its data
    FailsHalfWay,     // the sanitize fails when half done
    UnpluggedHalfWay, // the drive goes away when half done
    NeverCompletes,   // the sanitize stays in progress
  };
  Lie lie = Lie::None;  // a security erase lies the same ways
};

struct VirtualDrive {
  std::uint32_t number = 0;  // N of \\.\PhysicalDriveN

  // Opening. A non-zero error makes the open fail with it.
  std::uint32_t openError = 0;
  std::uint32_t exclusiveOpenError = 0;  // only for read-write opens with share mode 0

  // Geometry and length.
  std::uint32_t bytesPerSector = 512;
  std::int64_t length = 0;  // bytes

  // Adapter property.
  std::uint32_t maxTransferLength = 131072;
  std::uint8_t busType = 11;

  // Device property: raw texts as the storage stack reports them (the serial
  // still in its byte-pair order); an absent text has offset 0.
  std::optional<std::string> vendor;
  std::optional<std::string> product;
  std::optional<std::string> revision;
  std::optional<std::string> serial;
  bool removable = false;
  // The Size the device descriptor reports; none: the true size, which
  // takes in every text with its terminating 0.
  std::optional<std::uint32_t> deviceDescriptorSize;

  VirtualAta ata;
  std::optional<VirtualNvme> nvme;  // none: the health log query and every NVMe admin command are refused
  std::optional<VirtualOwnErase> ownErase;  // none: SANITIZE, Sanitize and Format NVM are refused
  std::vector<RequestFault> requestFaults;

  // The medium.
  bool writeProtected = false;               // every write fails with code 19
  std::vector<std::pair<ByteRange, std::uint32_t>> writeErrors;  // range, code
  std::vector<ByteRange> seekErrors;         // a seek to an offset in a range fails
  // A write touching one of these ranges reports success, but its bytes in
  // the range never reach the medium (a drive or a layer below that lies).
  std::vector<ByteRange> lostWrites;
  std::vector<std::pair<ByteRange, std::uint32_t>> readErrors;  // range, code
  std::optional<std::int64_t> unplugAt;      // a write reaching this offset unplugs the drive
  std::uint32_t unplugError = 55;            // the code of every request once unplugged
  std::uint32_t flushError = 0;              // non-zero: the flush fails with it
  double speedLimitBytesPerSecond = 0;       // 0: writes take no time
};

// A volume (drive letter) of the machine. It lives on the drive whose number
// equals deviceNumber.
struct VirtualVolume {
  std::string name;  // "C:"
  std::uint32_t deviceNumber = 0;
  std::uint32_t deviceType = 7;  // FILE_DEVICE_DISK
  std::uint32_t partition = 1;
  std::uint32_t openError = 0;      // open with no access rights fails
  std::uint32_t queryError = 0;     // IOCTL_STORAGE_GET_DEVICE_NUMBER fails
  std::uint32_t readOpenError = 0;  // open for GENERIC_READ fails
  std::uint32_t lockError = 0;      // FSCTL_LOCK_VOLUME refused (open files: 5)
  std::uint32_t dismountError = 0;  // FSCTL_DISMOUNT_VOLUME refused
  std::uint32_t extendedIoError = 0;  // FSCTL_ALLOW_EXTENDED_DASD_IO refused
  std::optional<std::string> mountPoint;  // where its file system is mounted ("C:\\"); a dismount takes it down
  // The processes holding the volume, as a refused lock describes them;
  // none given: the machine cannot tell.
  std::optional<std::vector<VolumeHolder>> holders;
};

struct VirtualMachine {
  // The machine the simulated drives are attached to, as an erase record
  // names it.
  HostIdentity host{u"simulated machine", {}, {}, {}};
  std::vector<VirtualDrive> drives;
  std::vector<VirtualVolume> volumes;
  bool driveStringsFail = false;  // GetLogicalDriveStringsW fails
};

}  // namespace orvella
