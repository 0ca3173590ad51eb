// The header lines that open both drive reports.
#pragma once

#include <string>
#include <string_view>

#include "core/program.h"
#include "device/drive_run.h"

namespace orvella {

using ReportSink = void (*)(Program&, const std::u16string&);

// A blank line, the current date and time, the product line, `titleLead`
// followed by the run's drive's title, and a blank line.
void WriteReportHeader(DriveRun& run, ReportSink sink, std::u16string_view titleLead);

// A separating line of a report: a single blank, never an empty line.
inline constexpr char16_t kBlankLine[] = u" ";

// The S.M.A.R.T. report's one error text, for ATA and NVMe drives alike.
inline constexpr char16_t kSmartNotSupported[] = u"SMART is not supported by this device.";

}  // namespace orvella
