// The records of an erase of several drives in one folder: each named by
// its drive's serial number and the time the erase began
// ("WD-WCC4N1234567_2024-05-01T14-03-27.json"), never over an earlier file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "record/erase_record.h"

namespace orvella::cli {

// The file name of a record, without the folder; characters a file name
// cannot hold become "_", and a drive without a serial number goes by its
// drive number.
std::string RecordFileName(const Json& record);

// Writes the record's text into `folder` under its name; where that name is
// taken, under the name with "-2", "-3"... before ".json". The reason when
// it could not be written.
std::optional<std::string> CreateRecordFile(const std::string& folder, const Json& record, std::string_view text);

}  // namespace orvella::cli
