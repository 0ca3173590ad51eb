// IDENTIFY DEVICE data as a drive (or a bridge that makes it up) returns it:
// any 512 bytes decode into a passport whose texts convert cleanly.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/text.h"
#include "device/identify_parser.h"
#include "replay_os.h"
#include "reports/text_forms.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvella;
  AtaSector sector{};
  std::memcpy(sector.data(), data, std::min(size, sector.size()));
  fuzz::ReplayOs os({});
  const T_IDE_PASSPORT p = ParseIdentifyData(os, sector);
  for (const std::u16string* text : {&p.name, &p.sn, &p.fw}) Utf8ToText(TextToUtf8(*text));
  IntToGroupedStr(p.lbasectors);
  IntToGroupedStr(p.lba48sectors);
  if (p.lbasectors < 0 || p.lba48sectors < 0 || p.lba28sectors < 0) __builtin_trap();  // counts are never negative
  return 0;
}
