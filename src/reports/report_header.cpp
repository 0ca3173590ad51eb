#include "reports/report_header.h"

#include "reports/text_forms.h"

namespace orvella {

void WriteReportHeader(DriveRun& run, ReportSink sink, std::u16string_view titleLead) {
  Program& program = run.program;
  const char16_t decimalSeparator = program.locale.DecimalSeparator();
  sink(program, kBlankLine);
  sink(program, u"Current date and time: " + DateTimeText(program.locale, program.clock.Now()));
  sink(program, std::u16string(kProgramTitle) + u"; " + kMakerWebAddress);
  sink(program, std::u16string(titleLead) +
                    GetDeviceTitle(program.DeviceTables, static_cast<int>(run.SelectedDevice), decimalSeparator));
  sink(program, kBlankLine);
}

}  // namespace orvella
