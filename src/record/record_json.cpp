#include "record/record_json.h"

namespace orvella {

std::string RecordText(const Json& record) {
  return record.dump(2, ' ', false, Json::error_handler_t::replace) + '\n';
}

std::string CompactText(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace orvella
