// The Windows print spooler: printers enumerated at level 2 (name, port text, driver name),
// parked by pausing them, never by changing their port, so that no job is lost. Windows
// keeps no reason text with a paused printer, so the note a paused printer carries, and the
// attribute word a printer had before it was made to refuse jobs, are kept in the user's
// registry until the printer is put back.
#include "platform/spooler.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/errors.h"

namespace platform {
namespace {

constexpr const char* kNotesKey = "Software\\VORTANE\\vrtqlx\\Parked";
constexpr const char* kAttributesSuffix = "|attributes";

class NotesKey {
 public:
  // Only opened here: every start looks for notes, and most find none; the key is made
  // when the first note is written.
  NotesKey() {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kNotesKey, 0, KEY_READ | KEY_WRITE, &key_) !=
        ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
  ~NotesKey() {
    if (key_) RegCloseKey(key_);
  }
  NotesKey(const NotesKey&) = delete;
  NotesKey& operator=(const NotesKey&) = delete;

  std::optional<std::string> Read(const std::string& name) const {
    if (!key_) return std::nullopt;
    char text[1024];
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
      return std::nullopt;
    }
    text[std::min<DWORD>(size, sizeof text - 1)] = '\0';
    return std::string(text);
  }
  void Write(const std::string& name, const std::string& text) {
    if (!key_ && RegCreateKeyExA(HKEY_CURRENT_USER, kNotesKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                 nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
    }
    if (key_) {
      RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
    }
  }
  void Erase(const std::string& name) const {
    if (key_) RegDeleteValueA(key_, name.c_str());
  }

 private:
  HKEY key_ = nullptr;
};

class Printer {
 public:
  explicit Printer(const std::string& name) {
    PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterA(const_cast<char*>(name.c_str()), &handle_, &access)) handle_ = nullptr;
  }
  ~Printer() {
    if (handle_) ClosePrinter(handle_);
  }
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;
  HANDLE get() const { return handle_; }

  // The level-2 information in a buffer of its own, or an empty buffer.
  std::vector<BYTE> Information() const {
    DWORD needed = 0;
    GetPrinterA(handle_, 2, nullptr, 0, &needed);
    if (needed == 0 || needed > (1u << 20)) return {};
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterA(handle_, 2, buffer.data(), needed, &needed)) return {};
    return buffer;
  }

 private:
  HANDLE handle_ = nullptr;
};

std::string Text(const char* text) {
  return text ? std::string(text) : std::string();
}

class WinspoolSpooler final : public Spooler {
 public:
  // A spooler service that is not running answers like one without printers: nothing to
  // park, as on a machine without a spooler.
  SysResult<std::vector<SpoolerQueue>> ListQueues() override {
    using Listed = SysResult<std::vector<SpoolerQueue>>;
    std::vector<SpoolerQueue> queues;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0 || needed > (16u << 20)) return Listed::Ok(queues);
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
      return Listed::Ok(queues);
    }
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) queues.push_back(QueueOf(printers[i]));
    return Listed::Ok(queues);
  }

  SysResult<SpoolerQueue> GetQueue(const std::string& name) override {
    Printer printer(name);
    if (!printer.get()) return SysResult<SpoolerQueue>::Fail("OpenPrinterA", LastErrno());
    const std::vector<BYTE> info = printer.Information();
    if (info.empty()) return SysResult<SpoolerQueue>::Fail("GetPrinterA", LastErrno());
    return SysResult<SpoolerQueue>::Ok(
        QueueOf(*reinterpret_cast<const PRINTER_INFO_2A*>(info.data())));
  }

  // Pausing a paused printer changes nothing but its note; a printer put back to the pause
  // its administrator gave it keeps no note (Windows keeps no reason of its own).
  SysStatus PauseQueue(const std::string& name, const std::string& message) override {
    auto status = Control(name, PRINTER_CONTROL_PAUSE, "SetPrinterA(pause)");
    if (!status) return status;
    if (message.empty()) {
      notes_.Erase(name);
    } else {
      notes_.Write(name, message);
    }
    return status;
  }

  SysStatus ResumeQueue(const std::string& name) override {
    auto status = Control(name, PRINTER_CONTROL_RESUME, "SetPrinterA(resume)");
    if (status) notes_.Erase(name);
    return status;
  }

  // Refusing jobs is the attribute word replaced by "raw data only"; taking them again is
  // the word put back as it was. The word from before is recorded before it is changed, and
  // the request's note is kept beside it even when the pause that follows is refused, so
  // that a later start finds the printer's holders and puts the word back once they are
  // gone.
  SysStatus SetAcceptingJobs(const std::string& name, bool accepting,
                             const std::string& message) override {
    Printer printer(name);
    if (!printer.get()) return SysStatus::Fail("OpenPrinterA", LastErrno());
    std::vector<BYTE> info = printer.Information();
    if (info.empty()) return SysStatus::Fail("GetPrinterA", LastErrno());
    auto* fields = reinterpret_cast<PRINTER_INFO_2A*>(info.data());
    const std::string savedName = name + kAttributesSuffix;
    const std::optional<std::string> saved = notes_.Read(savedName);
    if (accepting) {
      if (!saved) return OkStatus();
      fields->Attributes = static_cast<DWORD>(std::strtoul(saved->c_str(), nullptr, 10));
    } else {
      if (!saved) notes_.Write(savedName, std::to_string(fields->Attributes));
      fields->Attributes = PRINTER_ATTRIBUTE_RAW_ONLY;
    }
    // The security descriptor is left as it is.
    fields->pSecurityDescriptor = nullptr;
    if (!SetPrinterA(printer.get(), 2, info.data(), 0)) {
      return SysStatus::Fail("SetPrinterA", LastErrno());
    }
    if (accepting) {
      notes_.Erase(savedName);
      // A printer that was never paused keeps no note of the refusal either.
      if ((fields->Status & PRINTER_STATUS_PAUSED) == 0) notes_.Erase(name);
    } else if (!message.empty()) {
      notes_.Write(name, message);
    }
    return OkStatus();
  }

 private:
  SpoolerQueue QueueOf(const PRINTER_INFO_2A& printer) const {
    SpoolerQueue queue;
    queue.name = Text(printer.pPrinterName);
    queue.deviceUri = Text(printer.pPortName);
    queue.makeAndModel = Text(printer.pDriverName);
    queue.acceptingJobs = !notes_.Read(queue.name + kAttributesSuffix).has_value();
    queue.paused = (printer.Status & PRINTER_STATUS_PAUSED) != 0;
    if (queue.paused || !queue.acceptingJobs) {
      queue.stateMessage = notes_.Read(queue.name).value_or(std::string());
    }
    return queue;
  }

  static SysStatus Control(const std::string& name, DWORD command, const char* call) {
    Printer printer(name);
    if (!printer.get()) return SysStatus::Fail("OpenPrinterA", LastErrno());
    if (!SetPrinterA(printer.get(), 0, nullptr, command)) return SysStatus::Fail(call, LastErrno());
    return OkStatus();
  }

  NotesKey notes_;
};

}  // namespace

std::unique_ptr<Spooler> CreateSystemSpooler() {
  return std::make_unique<WinspoolSpooler>();
}

std::unique_ptr<Spooler> CreateSystemSpoolerIfRunning() {
  return CreateSystemSpooler();
}

std::unique_ptr<Spooler> CreateSystemSpoolerToList() {
  return CreateSystemSpooler();
}

}  // namespace platform
