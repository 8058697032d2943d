#pragma once

#include <cstdint>
#include <string>

namespace fw {

class Dialog;

// Moves values between a dialog's members and its controls, in the direction asked for.
// A value that cannot be read back fails the exchange after telling the operator once.
class DataExchange {
 public:
  DataExchange(Dialog& dialog, bool saveAndValidate)
      : dialog_(dialog), saveAndValidate_(saveAndValidate) {}

  bool Saving() const { return saveAndValidate_; }
  bool Failed() const { return failed_; }

  void Text(int id, std::string& value);
  // A decimal unsigned integer; on bad input the positive-integer message is shown.
  void UInt(int id, uint32_t& value);
  // The index of the checked radio button in the group that starts at `firstId`; -1 for none.
  void Radio(int firstId, int& index);

 private:
  Dialog& dialog_;
  bool saveAndValidate_;
  bool failed_ = false;
};

// The framework's message for an entry that is not an unsigned decimal integer.
inline constexpr const char* kPositiveIntegerMessage = "Please enter a positive integer.";

bool ParseUnsigned(const std::string& text, uint32_t& value);

}  // namespace fw
