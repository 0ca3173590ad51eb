#include "platform/linux/error_mapping.h"

#include <cerrno>

#include "platform/error_codes.h"

namespace orvella::linux_backend {

std::uint32_t WindowsErrorOf(int errnoValue) {
  switch (errnoValue) {
    case 0: return ERROR_SUCCESS;
    case EROFS:
    case EPERM: return ERROR_WRITE_PROTECT;
    case ENOMEDIUM: return ERROR_NOT_READY;
    case ETIMEDOUT: return ERROR_SEM_TIMEOUT;
    case EIO:
    case ENODATA: return ERROR_IO_DEVICE;
    case ENODEV:
    case ENXIO: return ERROR_DEV_NOT_EXIST;
    case EBUSY:
    case EWOULDBLOCK: return ERROR_SHARING_VIOLATION;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case EACCES: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC: return ERROR_DISK_FULL;
    case EINVAL:
    case EFBIG:
    case EOVERFLOW: return ERROR_INVALID_PARAMETER;
    case ENOTTY:
    case EOPNOTSUPP:
    case ENOSYS:
    case ENOTBLK: return ERROR_INVALID_FUNCTION;
    default: return ERROR_IO_DEVICE;
  }
}

std::uint32_t WindowsOpenErrorOf(int errnoValue) {
  return errnoValue == EPERM ? ERROR_ACCESS_DENIED : WindowsErrorOf(errnoValue);
}

std::u16string ErrorText(std::uint32_t code) {
  switch (code) {
    case ERROR_SUCCESS: return u"The operation completed successfully.";
    case ERROR_INVALID_FUNCTION: return u"The device does not support this request.";
    case ERROR_FILE_NOT_FOUND: return u"The drive or volume was not found.";
    case ERROR_ACCESS_DENIED: return u"Access is denied.";
    case ERROR_INVALID_HANDLE: return u"The handle is not open.";
    case ERROR_NOT_ENOUGH_MEMORY: return u"There is not enough memory for this request.";
    case ERROR_WRITE_PROTECT: return u"The media is write protected.";
    case ERROR_NOT_READY: return u"The device is not ready: there is no medium in it.";
    case ERROR_SHARING_VIOLATION: return u"The device is in use by another program.";
    case ERROR_DEV_NOT_EXIST: return u"The device is no longer attached.";
    case ERROR_INVALID_PARAMETER: return u"The request has an invalid parameter.";
    case ERROR_DISK_FULL: return u"The device has no space left.";
    case ERROR_SEM_TIMEOUT: return u"The device did not answer in time.";
    case ERROR_INSUFFICIENT_BUFFER: return u"The reply area is too small for the answer.";
    case ERROR_IO_DEVICE: return u"The device reported an input/output error.";
    default: return u"Unknown error.";
  }
}

}  // namespace orvella::linux_backend
