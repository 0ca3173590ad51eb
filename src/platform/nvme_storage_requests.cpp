#include "platform/nvme_storage_requests.h"

#include <algorithm>

#include "platform/byte_order.h"
#include "platform/control_codes.h"

namespace orvella {
namespace {

constexpr std::uint8_t kCnsNamespace = 0x00;
constexpr std::uint8_t kCnsController = 0x01;
// Sanitize command dword 10: the action in bits 2:0, AUSE in bit 3, and the
// bits Windows has no way to pass (overwrite passes and inversion, NDAS).
constexpr std::uint32_t kSanitizeActionMask = 0x7;
constexpr std::uint32_t kSanitizeBlockErase = 2;
constexpr std::uint32_t kSanitizeCryptoErase = 4;
constexpr std::uint32_t kSanitizeAllowUnrestrictedExit = 1u << 3;
constexpr std::uint32_t kSanitizeUnpassable = ~(kSanitizeActionMask | kSanitizeAllowUnrestrictedExit);

NvmeStorageRequest PropertyQuery(std::uint32_t property, std::uint32_t dataType, std::uint32_t value,
                                 std::uint32_t subValue, std::uint32_t length) {
  constexpr std::size_t at = layout::PropertyQueryAdditionalParameters;
  NvmeStorageRequest request;
  request.controlCode = IOCTL_STORAGE_QUERY_PROPERTY;
  // As large as the answer: some drivers write it over the query.
  request.in.assign(at + layout::ProtocolSpecificDataSize + length, 0);
  std::uint8_t* in = request.in.data();
  PutU32(in, layout::PropertyQueryPropertyId, property);
  PutU32(in, layout::PropertyQueryQueryType, layout::PropertyStandardQuery);
  PutU32(in, at + layout::ProtocolProtocolType, layout::ProtocolTypeNvme);
  PutU32(in, at + layout::ProtocolDataType, dataType);
  PutU32(in, at + layout::ProtocolRequestValue, value);
  PutU32(in, at + layout::ProtocolRequestSubValue, subValue);
  PutU32(in, at + layout::ProtocolDataOffset, layout::ProtocolSpecificDataSize);
  PutU32(in, at + layout::ProtocolDataLength, length);
  request.outSize = static_cast<std::uint32_t>(layout::ProtocolDescriptorHeaderSize) + length;
  return request;
}

std::optional<NvmeStorageRequest> IdentifyQuery(const NvmeAdminCommand& command) {
  const auto length = static_cast<std::uint32_t>(command.data.size());
  switch (command.Dword(10) & 0xFF) {
    case kCnsController:
      return PropertyQuery(layout::StorageAdapterProtocolSpecificProperty, layout::NVMeDataTypeIdentify,
                           kCnsController, 0, length);
    case kCnsNamespace:
      return PropertyQuery(layout::StorageDeviceProtocolSpecificProperty, layout::NVMeDataTypeIdentify,
                           kCnsNamespace, command.NamespaceId(), length);
    default:
      return std::nullopt;  // lists of namespaces and the like: Windows answers none
  }
}

// A log of the whole controller goes to the adapter, one of a namespace to
// its device. Only whole logs from a byte offset are asked for.
std::optional<NvmeStorageRequest> LogPageQuery(const NvmeAdminCommand& command) {
  const std::uint32_t dword10 = command.Dword(10);
  const std::uint32_t dwords = ((dword10 >> 16) | (command.Dword(11) & 0xFFFF) << 16) + 1;
  const auto length = static_cast<std::uint32_t>(command.data.size());
  if (std::uint64_t{dwords} * 4 != length) return std::nullopt;
  const std::uint32_t space = command.NamespaceId();
  const bool controller = space == 0 || space == nvme::AllNamespaces;
  NvmeStorageRequest request =
      PropertyQuery(controller ? layout::StorageAdapterProtocolSpecificProperty
                               : layout::StorageDeviceProtocolSpecificProperty,
                    layout::NVMeDataTypeLogPage, dword10 & 0xFF, command.Dword(12), length);
  std::uint8_t* data = request.in.data() + layout::PropertyQueryAdditionalParameters;
  PutU32(data, layout::ProtocolRequestSubValue2, command.Dword(13));
  PutU32(data, layout::ProtocolRequestSubValue3, command.Dword(11) >> 16);  // log specific identifier
  // Retain Asynchronous Event (bit 15) and the log specific field (11:8).
  PutU32(data, layout::ProtocolRequestSubValue4, (dword10 >> 15 & 1) | (dword10 >> 8 & 0xF) << 1);
  return request;
}

std::optional<NvmeStorageRequest> ReinitializeMedia(const NvmeAdminCommand& command) {
  const std::uint32_t dword10 = command.Dword(10);
  if ((dword10 & kSanitizeUnpassable) != 0 || command.Dword(11) != 0) return std::nullopt;
  std::uint32_t option = 0;
  switch (dword10 & kSanitizeActionMask) {
    case kSanitizeBlockErase: option = layout::StorageSanitizeMethodBlockErase; break;
    case kSanitizeCryptoErase: option = layout::StorageSanitizeMethodCryptoErase; break;
    default: return std::nullopt;  // overwrite and exit failure mode: Windows passes neither
  }
  if ((dword10 & kSanitizeAllowUnrestrictedExit) == 0) option |= layout::DisallowUnrestrictedSanitizeExit;
  NvmeStorageRequest request;
  request.controlCode = IOCTL_STORAGE_REINITIALIZE_MEDIA;
  request.in.assign(layout::ReinitializeMediaSize, 0);
  std::uint8_t* in = request.in.data();
  PutU32(in, layout::ReinitializeVersion, layout::ReinitializeMediaSize);
  PutU32(in, layout::ReinitializeSize, layout::ReinitializeMediaSize);
  PutU32(in, layout::ReinitializeTimeoutInSeconds, (command.timeoutMilliseconds + 999) / 1000);
  PutU32(in, layout::ReinitializeSanitizeOption, option);
  return request;
}

}  // namespace

bool NvmeStorageRequest::PropertyQuery() const { return controlCode == IOCTL_STORAGE_QUERY_PROPERTY; }

std::optional<NvmeStorageRequest> NvmeRequestFor(const NvmeAdminCommand& command) {
  switch (command.Opcode()) {
    case nvme::Identify:
      return command.dataIn ? IdentifyQuery(command) : std::nullopt;
    case nvme::GetLogPage:
      return command.dataIn ? LogPageQuery(command) : std::nullopt;
    case nvme::Sanitize:
      return command.dataIn || !command.data.empty() ? std::nullopt : ReinitializeMedia(command);
    default:
      return std::nullopt;
  }
}

void SwapQueryTarget(NvmeStorageRequest& request) {
  const std::uint32_t property = GetU32(request.in.data(), layout::PropertyQueryPropertyId);
  PutU32(request.in.data(), layout::PropertyQueryPropertyId,
         property == layout::StorageAdapterProtocolSpecificProperty ? layout::StorageDeviceProtocolSpecificProperty
                                                                    : layout::StorageAdapterProtocolSpecificProperty);
}

bool ReadNvmeQueryAnswer(const std::uint8_t* out, std::uint32_t returned, NvmeAdminCommand& command) {
  if (returned < layout::ProtocolDescriptorHeaderSize) return false;
  const std::uint8_t* data = out + layout::ProtocolDescriptorData;
  const std::uint64_t offset = GetU32(data, layout::ProtocolDataOffset);
  const std::uint64_t length = GetU32(data, layout::ProtocolDataLength);
  const std::uint64_t end = layout::ProtocolDescriptorData + offset + length;
  if (offset < layout::ProtocolSpecificDataSize || length < command.data.size() || end > returned) return false;
  std::copy_n(data + offset, command.data.size(), command.data.begin());
  command.result = GetU32(data, layout::ProtocolFixedReturnData);
  command.status = 0;
  return true;
}

}  // namespace orvella
