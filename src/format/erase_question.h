// The confirmation of an erase: its question, and below it every fact a
// person needs to be sure that this is the drive meant and the erase wanted
// (the device path, model, serial, size, the mounted file systems that will
// be taken down, the mode and the read-back).
#pragma once

#include <functional>
#include <string>

#include "format/erase_choices.h"

namespace orvella {

class DriveRun;

struct EraseQuestion {
  std::u16string instruction;
  std::u16string content;
};

// How the question was answered: only Erase lets the run touch the drive.
enum class EraseAnswer { Erase, Cancel };

// Asks the question (a dialog, a terminal prompt, a script's --yes) and
// returns the answer; called once per run, before anything is done.
using ConfirmErase = std::function<EraseAnswer(const EraseQuestion& question)>;

EraseQuestion AskToErase(DriveRun& run, const EraseChoices& choices);

}  // namespace orvella
