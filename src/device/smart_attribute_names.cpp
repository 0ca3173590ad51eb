#include "device/smart_attribute_names.h"

namespace orvella {

const std::array<std::u16string_view, 256> SmartAttributeNames = [] {
  std::array<std::u16string_view, 256> names{};
  names[1] = u"Read error rate           ";
  names[2] = u"Throughput performance    ";
  names[3] = u"Spin up time              ";
  names[4] = u"Number of spin-up times   ";
  names[5] = u"Reallocated sectors count ";
  names[6] = u"Read channel margin       ";
  names[7] = u"Seek error rate           ";
  names[8] = u"Seek performance          ";
  names[9] = u"Power-on time             ";
  names[10] = u"Spin-up retries           ";
  names[11] = u"Calibration retries       ";
  names[12] = u"Power Cycles              ";
  names[13] = u"Soft read error rate      ";
  names[99] = u"Average FHC (all heads)   ";
  names[100] = u"Minimum FHC               ";
  names[101] = u"Maximum FHC               ";
  names[184] = u"End to End Error          ";
  names[187] = u"Reported Uncorrectable    ";
  names[188] = u"Command Time Out          ";
  names[189] = u"High Fly Writes           ";
  names[190] = u"Airflow Temperature       ";
  names[192] = u"Power-off retract count   ";
  names[193] = u"Load/unload cycle count   ";
  names[194] = u"HDA Temperature           ";
  names[195] = u"Hardware ECC recovered    ";
  names[196] = u"Reallocate event count    ";
  names[197] = u"Current pending sectors   ";
  names[198] = u"Offline scan UNC sectors  ";
  names[199] = u"Ultra ATA CRC Error Rate  ";
  names[200] = u"Write error rate at preamp";
  names[201] = u"Off Track Read Errors     ";
  names[202] = u"DAM Read Errors           ";
  names[203] = u"ECC Read Errors           ";
  names[204] = u"Soft ECC Corrections      ";
  names[205] = u"Thermal Aspirates         ";
  names[207] = u"High Current Spin-Up      ";
  names[208] = u"Spin Buzz                 ";
  names[209] = u"Off Line Seek Performance ";
  names[210] = u"Vibration during Write    ";
  names[211] = u"Vibration during Read     ";
  names[212] = u"Shock during Write        ";
  names[220] = u"Disk shift                ";
  names[221] = u"G-Sensor shock conuter    ";
  names[222] = u"Loaded hours              ";
  names[223] = u"Load retry count          ";
  names[224] = u"Load friction             ";
  names[225] = u"Load cycle count          ";
  names[226] = u"Load-in time              ";
  names[227] = u"Torque amplification      ";
  names[228] = u"Power-off retract count   ";
  names[229] = u"Fly height measurement    ";
  names[230] = u"GMR head amplitude        ";
  names[232] = u"Available Reserved Space  ";
  names[233] = u"Media Wearout Indicator   ";
  return names;
}();

std::u16string_view SmartAttributeName(int id) {
  const std::u16string_view name = SmartAttributeNames.at(static_cast<std::size_t>(id));
  return name.empty() ? u"Unknown                   " : name;
}

}  // namespace orvella
