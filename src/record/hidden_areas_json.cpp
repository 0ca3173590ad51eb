#include "record/hidden_areas_json.h"

namespace orvella {
namespace {

const char* MethodName(NativeMaxMethod method) {
  switch (method) {
    case NativeMaxMethod::ReadNativeMaxExt: return "read-native-max-address-ext";
    case NativeMaxMethod::GetNativeMaxExt: return "get-native-max-address-ext";
    case NativeMaxMethod::None: break;
  }
  return "none";
}

Json SectorsOrNull(const std::optional<std::int64_t>& sectors) { return sectors ? Json(*sectors) : Json(nullptr); }

}  // namespace

Json HiddenAreasJson(const HiddenAreas& a) {
  return {{"accessibleSectors", a.accessibleSectors},
          {"nativeMaxMethod", MethodName(a.method)},
          {"nativeSectors", SectorsOrNull(a.nativeSectors)},
          {"hpaHiddenSectors", a.HpaHiddenSectors()},
          {"dcoSupported", a.dcoSupported},
          {"dcoSectors", SectorsOrNull(a.dcoSectors)},
          {"dcoHiddenSectors", a.DcoHiddenSectors()}};
}

}  // namespace orvella
