#pragma once

#include <cerrno>
#include <string>
#include <utility>

namespace platform {

// The outcome of one system call: a value on success, else the call's name and errno.
// Code outside platform/ turns it into the system's own result and message.
template <typename T>
class SysResult {
 public:
  static SysResult Ok(T value) { return SysResult(std::move(value), nullptr, 0); }
  static SysResult Fail(const char* call, int error) { return SysResult(T{}, call, error); }

  bool ok() const { return call_ == nullptr; }
  explicit operator bool() const { return ok(); }
  const T& value() const { return value_; }
  T& value() { return value_; }
  const char* call() const { return call_ ? call_ : ""; }
  int error() const { return error_; }
  std::string Describe() const;

 private:
  SysResult(T value, const char* call, int error)
      : value_(std::move(value)), call_(call), error_(error) {}
  T value_;
  const char* call_;
  int error_;
};

struct Unit {};
using SysStatus = SysResult<Unit>;

inline SysStatus OkStatus() {
  return SysStatus::Ok(Unit{});
}

// The system's own text for an errno value.
std::string ErrorText(int error);

std::string DescribeError(const char* call, int error);

template <typename T>
std::string SysResult<T>::Describe() const {
  return ok() ? std::string() : DescribeError(call_, error_);
}

// Runs a system call again while it fails with EINTR.
template <typename F>
auto RetryOnInterrupt(F&& call) {
  for (;;) {
    auto rc = call();
    if (rc != -1 || errno != EINTR) return rc;
  }
}

}  // namespace platform
