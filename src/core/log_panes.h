// Where the program's lines land: the format log, the debug log, the device
// details pane and the S.M.A.R.T. pane. A front end appends each line to its
// pane (a memo, a terminal); tests record them.
#pragma once

#include <string>

namespace orvella {

class LogPanes {
 public:
  virtual ~LogPanes() = default;
  virtual void AppendFormatLog(const std::u16string& line) = 0;
  virtual void AppendDebugLog(const std::u16string& line) = 0;
  virtual void AppendDetails(const std::u16string& line) = 0;
  virtual void AppendSmart(const std::u16string& line) = 0;
};

}  // namespace orvella
