// Simulated ATA drives and request-log helpers for the tests of the command
// channel, IDENTIFY, S.M.A.R.T. and the two reports.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/program.h"
#include "platform/virtual/virtual_os.h"
#include "support/test_program.h"

namespace orvella::test {

// A 500 GB SATA hard disk, drive `number`, answering IDENTIFY and S.M.A.R.T.
// through the receive request: LBA-48 with 976,773,168 sectors, an 8 MB
// buffer, queue depth 32, security supported but not enabled, S.M.A.R.T.
// (on), HPA and AAM, no streaming.
VirtualDrive HardDisk(std::uint32_t number = 0);

// Opens drive `number` for reading and writing, exclusively, as the main
// window does.
Handle OpenDrive(Os& os, std::uint32_t number = 0);

// Makes catalogue entry 1 describe `drive` as the walk would, selects it for
// the run and opens it into the run's DeviceHandle.
void ChooseDrive(DriveRun& run, const VirtualDrive& drive, std::int64_t busType, std::uint8_t isSlave);

// A program on a machine of `drive` alone, with that drive chosen for its
// drive run.
std::unique_ptr<TestProgram> ProgramWithChosenDrive(const VirtualDrive& drive, std::int64_t busType,
                                                    std::uint8_t isSlave);

// The ATA pass-through requests of the log (version, send, receive,
// miniport), in order.
std::vector<RequestRecord> PassThroughRequests(const VirtualOs& os);

// The features and command registers of a send or receive request.
std::uint8_t FeatureOf(const RequestRecord& request);
std::uint8_t CommandOf(const RequestRecord& request);

}  // namespace orvella::test
