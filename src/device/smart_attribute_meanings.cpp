#include "device/smart_attribute_meanings.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orvella {
namespace {

using Meaning = std::pair<int, std::u16string_view>;

// Ascending by id.
constexpr std::array kMeanings{
    Meaning{22, u"Current helium level"},
    Meaning{170, u"Available reserved space"},
    Meaning{171, u"SSD program fail count"},
    Meaning{172, u"SSD erase fail count"},
    Meaning{173, u"SSD wear leveling count"},
    Meaning{174, u"Unexpected power loss count"},
    Meaning{175, u"Power loss protection failure"},
    Meaning{176, u"Erase fail count"},
    Meaning{177, u"Wear range delta"},
    Meaning{178, u"Used reserved block count (chip)"},
    Meaning{179, u"Used reserved block count (total)"},
    Meaning{180, u"Unused reserved block count (total)"},
    Meaning{181, u"Program fail count (total)"},
    Meaning{182, u"Erase fail count (total)"},
    Meaning{183, u"SATA downshift error count"},
    Meaning{185, u"Head stability"},
    Meaning{186, u"Induced op-vibration detection"},
    Meaning{191, u"G-sense error rate"},
    Meaning{206, u"Flying height"},
    Meaning{231, u"SSD life left"},
    Meaning{234, u"Average erase count"},
    Meaning{235, u"Good block count"},
    Meaning{240, u"Head flying hours"},
    Meaning{241, u"Total LBAs written"},
    Meaning{242, u"Total LBAs read"},
    Meaning{243, u"Total LBAs written (expanded)"},
    Meaning{244, u"Total LBAs read (expanded)"},
    Meaning{249, u"NAND writes (GiB)"},
    Meaning{250, u"Read error retry rate"},
    Meaning{251, u"Minimum spares remaining"},
    Meaning{252, u"Newly added bad flash blocks"},
    Meaning{254, u"Free fall protection"},
};

static_assert(std::is_sorted(kMeanings.begin(), kMeanings.end()));

}  // namespace

std::optional<std::u16string_view> SmartAttributeCommonName(int id) {
  const auto found = std::lower_bound(kMeanings.begin(), kMeanings.end(), id,
                                      [](const Meaning& m, int value) { return m.first < value; });
  if (found == kMeanings.end() || found->first != id) return std::nullopt;
  return found->second;
}

}  // namespace orvella
