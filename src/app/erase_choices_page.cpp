#include "app/erase_choices_page.h"

#include "core/text.h"

namespace orvella {
namespace {

std::u16string Name(EraseMethod method) { return Utf8ToText(EraseMethodName(method)); }

std::u16string Kind(const MethodChoice& choice) {
  return Utf8ToText(CategoryName(choice.category)) + u", " + Utf8ToText(choice.technique);
}

}  // namespace

std::vector<MethodLine> MethodLinesOf(const std::vector<MethodChoice>& choices) {
  std::vector<MethodLine> lines;
  for (const MethodChoice& choice : choices) {
    const std::u16string text = Name(choice.method) + u" (" +
                                (choice.available ? Kind(choice) : u"not available: " + choice.reason) + u")";
    lines.push_back({choice.method, text, choice.available, choice.available ? u"" : choice.reason});
  }
  return lines;
}

std::u16string ChoiceNote(bool quickWipe, const std::optional<MethodChoice>& method) {
  if (method && !method->available) return NotAvailableNote(*method);
  if (method && method->method != EraseMethod::Zeros) {
    std::u16string note = u"The drive erases itself (" + Kind(*method) +
                          u"): once started it cannot be stopped, and it goes on after a power loss.";
    if (!method->note.empty()) note += u" Note: " + method->note + u".";
    return note;
  }
  if (quickWipe)
    return u"Quick wipe: only the first and the last 10,240,000 bytes are zeroed. The partitions are lost, but "
           u"most of the data stays readable: this is not an erase, whatever the warning above says.";
  std::u16string note = u"Whole drive: every sector is overwritten with zeros.";
  if (method && !method->note.empty()) note += u" Note: " + method->note + u".";
  return note;
}

std::u16string NotAvailableNote(const MethodChoice& method) {
  return Name(method.method) + u" is not available on this drive: " + method.reason + u".";
}

std::u16string UnavailableMethodNote(const MethodChoice& method) {
  return NotAvailableNote(method) + u" The zero overwrite is chosen instead.";
}

}  // namespace orvella
