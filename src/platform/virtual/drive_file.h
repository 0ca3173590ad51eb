// Drive description files: a simulated machine written down as JSON, one
// entry per physical drive with its answers, faults and volumes. The format
// is described field by field in docs/drive-files.md.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/virtual/json_object_reader.h"
#include "platform/virtual/virtual_machine.h"

namespace orvella {

// The largest description file read (docs/drive-files.md), and how deep it
// may nest: real descriptions are a few kilobytes, five levels deep.
inline constexpr std::uintmax_t kDriveFileSizeLimit = std::uintmax_t{16} << 20;
inline constexpr int kDriveFileDepthLimit = 32;

// Reads a description from its JSON text. Throws DriveFileError whose
// message names the place of the first fault ("drives[1].length: ...").
VirtualMachine ParseDriveDescription(std::string_view json);

// Reads a description file; the messages of its errors begin with the
// file's name.
VirtualMachine ReadDriveFile(const std::string& path);

}  // namespace orvella
