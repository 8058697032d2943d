#include <optional>
#include <string_view>

#include "app/file_error.h"
#include "app/firmware_app.h"
#include "app/job_values.h"
#include "app/model_catalogue.h"
#include "platform/file_system.h"
#include "platform/local_time.h"

// Firmware files are named after their model and carry their build date: the model is the
// part before the first "_", the date stamp MMDDYY the six characters before the last four
// ("TQR-03_V2.01_051710.fls": TQR-03, 17 May 2010). Names of any length are looked at
// within their bounds; a name too short for a stamp reads the missing digits as 0.

std::string ModelOfFile(const std::string& name) {
  const size_t underscore = name.find('_');
  return underscore == std::string::npos ? std::string() : name.substr(0, underscore);
}

namespace {

constexpr std::string_view kFirmwareSuffix = ".fls";

std::string_view Field(std::string_view text, size_t from, size_t length) {
  return from < text.size() ? text.substr(from, length) : std::string_view();
}

// The local midnight of the file's date stamp; nothing when the stamp gives no valid time.
std::optional<time_t> DateStampTime(std::string_view name) {
  const std::string_view stamp = Field(name, name.size() > 10 ? name.size() - 10 : 0, 6);
  platform::CalendarTime day;
  day.month = LeadingDecimal(Field(stamp, 0, 2));
  day.day = LeadingDecimal(Field(stamp, 2, 2));
  day.year = LeadingDecimal("20" + std::string(Field(stamp, 4, 2)));
  auto time = platform::MakeLocalTime(day);
  if (!time) return std::nullopt;
  return time.value();
}

// Entries whose title (the name without its extension) is empty, "." or ".." are no
// firmware files.
bool IsPassedOver(CFirmwareApp& app, const std::string& name) {
  const std::string title = name.substr(0, name.rfind('.'));
  return title.empty() || app.IsDotEntry(title);
}

}  // namespace

int CFirmwareApp::FileExists(const std::string& path) {
  auto state = platform::ProbeReadable(path);
  if (!state) throw FileError(state.Describe(), state.error());
  return state.value() == platform::FileState::kReadable ? 1 : 0;
}

int CFirmwareApp::IsDotEntry(const std::string& name) {
  return (name == "." || name == "..") ? 1 : 0;
}

int CFirmwareApp::FindAnyFirmware() {
  auto listing = platform::ListDirectory(workDir, kFirmwareSuffix);
  if (!listing) return 0;
  std::string candidate;
  int count = 0;
  for (const std::string& name : listing.value()) {
    if (IsPassedOver(*this, name)) continue;
    ++count;
    if (count >= 2 && modelName.empty()) return 0;
    candidate = name;
  }
  const std::string model = ModelOfFile(candidate);
  if (!IsKnownFamily(model)) return 0;
  modelName = model;
  firmwareName = candidate;
  return 1;
}

int CFirmwareApp::FindFirmwareForModel() {
  auto listing = platform::ListDirectory(workDir, kFirmwareSuffix);
  if (!listing) return 0;
  // The earliest stamp that can win is later than 1 January 1970, 09:00 local time.
  auto start = platform::MakeLocalTime({1970, 1, 1, 9, 0, 0});
  time_t latest = start ? start.value() : 0;
  int count = 0;
  for (const std::string& name : listing.value()) {
    if (IsPassedOver(*this, name)) continue;
    if (ModelOfFile(name) != modelName) continue;
    ++count;
    // Equal stamps keep the file listed first.
    const std::optional<time_t> stamp = DateStampTime(name);
    if (stamp && *stamp > latest) {
      firmwareName = name;
      latest = *stamp;
    }
  }
  return (!firmwareName.empty() && count != 0) ? 1 : 0;
}
