// Drive description files: any text either loads or is refused with a
// DriveFileError; a file that loads gives a machine the device walk can
// list without a fault.
#include <cstdint>
#include <string_view>

#include "catalogue/enumeration.h"
#include "fuzz_program.h"
#include "platform/virtual/drive_file.h"
#include "platform/virtual/virtual_os.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvella;
  VirtualMachine machine;
  try {
    machine = ParseDriveDescription(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const DriveFileError&) {
    return 0;
  }
  VirtualOs os(std::move(machine), [](std::int64_t) {});
  fuzz::FuzzProgram fuzz(os);
  try {
    EnumerateDevices(fuzz.program);
  } catch (const test::ProgramHalted&) {
    // A drive whose device query fails ends the program, as it should.
  }
  return 0;
}
