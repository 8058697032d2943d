#include "platform/win32/errors.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/sys_result.h"

namespace platform {

int ErrnoFromWin32(uint32_t code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_INVALID_PRINTER_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_INVALID_PARAMETER:
      return EINVAL;
    case ERROR_SEM_TIMEOUT:
    case WAIT_TIMEOUT:
      return ETIMEDOUT;
    case ERROR_OPERATION_ABORTED:
      return EINTR;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
      return ENOTSUP;
    default:
      return EIO;
  }
}

namespace {
// The Windows error the program met for an errno value the C library has no text for, and
// the words to use when the system has no message for it either (Wine has few).
struct WindowsError {
  DWORD code;
  const char* text;
};

WindowsError WindowsErrorFor(int error) {
  switch (error) {
    case ECONNREFUSED:
      return {WSAECONNREFUSED, "Connection refused"};
    case ECONNRESET:
      return {WSAECONNRESET, "Connection reset by peer"};
    case ECONNABORTED:
      return {WSAECONNABORTED, "Software caused connection abort"};
    case ETIMEDOUT:
      return {WSAETIMEDOUT, "Connection timed out"};
    case EHOSTUNREACH:
      return {WSAEHOSTUNREACH, "No route to host"};
    case ENETUNREACH:
      return {WSAENETUNREACH, "Network is unreachable"};
    case EADDRNOTAVAIL:
      return {WSAEADDRNOTAVAIL, "Cannot assign requested address"};
    case ENOTSUP:
      return {ERROR_NOT_SUPPORTED, "Operation not supported"};
    case EWOULDBLOCK:
      return {WSAEWOULDBLOCK, "Resource temporarily unavailable"};
    default:
      return {0, nullptr};
  }
}

// The system's message for `code`, without its closing full stop and line end.
std::string SystemMessage(DWORD code) {
  char text[512] = {};
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     text, static_cast<DWORD>(sizeof(text)), nullptr);
  std::string message(text, length < sizeof(text) ? length : 0);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}
}  // namespace

std::string ErrorText(int error) {
  const WindowsError windows = WindowsErrorFor(error);
  if (windows.code == 0) return std::strerror(error);
  std::string message = SystemMessage(windows.code);
  return message.empty() ? windows.text : message;
}

int LastErrno() {
  return ErrnoFromWin32(GetLastError());
}

}  // namespace platform
