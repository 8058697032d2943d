#include <cups/cups.h>
#include <cups/ipp.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/absent_spooler.h"
#include "platform/module_loader.h"
#include "platform/spooler.h"
#include "platform/stop_request.h"

namespace platform {

namespace {

// libcups is loaded when a download first needs the spooler, not at every start: with the
// TLS and Kerberos libraries it brings it would cost several MiB and milliseconds even for
// runs that never talk to a scheduler.
struct CupsCalls {
  decltype(&::cupsServer) cupsServer = nullptr;
  decltype(&::cupsEncryption) cupsEncryption = nullptr;
  decltype(&::cupsUser) cupsUser = nullptr;
  decltype(&::cupsDoRequest) cupsDoRequest = nullptr;
  decltype(&::httpAssembleURIf) httpAssembleURIf = nullptr;
  decltype(&::httpClose) httpClose = nullptr;
  decltype(&::httpConnect2) httpConnect2 = nullptr;
  decltype(&::httpSetTimeout) httpSetTimeout = nullptr;
  decltype(&::ippAddString) ippAddString = nullptr;
  decltype(&::ippAddStrings) ippAddStrings = nullptr;
  decltype(&::ippDelete) ippDelete = nullptr;
  decltype(&::ippFirstAttribute) ippFirstAttribute = nullptr;
  decltype(&::ippNextAttribute) ippNextAttribute = nullptr;
  decltype(&::ippGetBoolean) ippGetBoolean = nullptr;
  decltype(&::ippGetGroupTag) ippGetGroupTag = nullptr;
  decltype(&::ippGetInteger) ippGetInteger = nullptr;
  decltype(&::ippGetName) ippGetName = nullptr;
  decltype(&::ippGetStatusCode) ippGetStatusCode = nullptr;
  decltype(&::ippGetString) ippGetString = nullptr;
  decltype(&::ippNewRequest) ippNewRequest = nullptr;
  decltype(&::ippPort) ippPort = nullptr;
};

template <typename Call>
bool Bind(const SharedLibrary& library, const char* name, Call& call, std::string& error) {
  call = reinterpret_cast<Call>(LibrarySymbol(library, name, error));
  return call != nullptr;
}

// The calls of libcups (Debian's libcups2); nullopt when it cannot be loaded.
std::optional<CupsCalls> LoadCups() {
  const SharedLibrary library = LoadSharedLibrary("libcups.so.2");
  std::string error;
  CupsCalls cups;
  const bool bound = Bind(library, "cupsServer", cups.cupsServer, error) &&
                     Bind(library, "cupsEncryption", cups.cupsEncryption, error) &&
                     Bind(library, "cupsUser", cups.cupsUser, error) &&
                     Bind(library, "cupsDoRequest", cups.cupsDoRequest, error) &&
                     Bind(library, "httpAssembleURIf", cups.httpAssembleURIf, error) &&
                     Bind(library, "httpClose", cups.httpClose, error) &&
                     Bind(library, "httpConnect2", cups.httpConnect2, error) &&
                     Bind(library, "httpSetTimeout", cups.httpSetTimeout, error) &&
                     Bind(library, "ippAddString", cups.ippAddString, error) &&
                     Bind(library, "ippAddStrings", cups.ippAddStrings, error) &&
                     Bind(library, "ippDelete", cups.ippDelete, error) &&
                     Bind(library, "ippFirstAttribute", cups.ippFirstAttribute, error) &&
                     Bind(library, "ippNextAttribute", cups.ippNextAttribute, error) &&
                     Bind(library, "ippGetBoolean", cups.ippGetBoolean, error) &&
                     Bind(library, "ippGetGroupTag", cups.ippGetGroupTag, error) &&
                     Bind(library, "ippGetInteger", cups.ippGetInteger, error) &&
                     Bind(library, "ippGetName", cups.ippGetName, error) &&
                     Bind(library, "ippGetStatusCode", cups.ippGetStatusCode, error) &&
                     Bind(library, "ippGetString", cups.ippGetString, error) &&
                     Bind(library, "ippNewRequest", cups.ippNewRequest, error) &&
                     Bind(library, "ippPort", cups.ippPort, error);
  if (!bound) return std::nullopt;
  return cups;
}

using SteadyClock = std::chrono::steady_clock;

// Talks IPP to one CUPS scheduler over one connection, opened on first use.
class CupsSpooler final : public Spooler {
 public:
  // libcups reads CUPS_SERVER ("host", "host:port", "/path/to/socket"), client.conf and
  // its defaults itself; the port of a "host:port" comes back from ippPort().
  CupsSpooler(const CupsCalls& cups, std::chrono::seconds requestLimit, bool absentFails)
      : absentFails_(absentFails),
        cups_(cups),
        server_(cups_.cupsServer()),
        port_(cups_.ippPort()),
        requestLimit_(requestLimit) {}
  ~CupsSpooler() override {
    if (http_) cups_.httpClose(http_);
  }

  SysResult<std::vector<SpoolerQueue>> ListQueues() override {
    using Listed = SysResult<std::vector<SpoolerQueue>>;
    std::vector<SpoolerQueue> queues;
    ipp_t* request = cups_.ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    AddRequestedAttributes(request);
    int error = 0;
    ipp_t* response = Send(request, "/", error);
    // No scheduler to reach has no queues; one that is there and does not answer may have.
    if (!response && (error == EHOSTUNREACH || error == ENOENT) && !absentFails_) {
      return Listed::Ok(queues);
    }
    if (!response) return Listed::Fail("ipp-cups-get-printers", error);
    SpoolerQueue queue;
    bool inQueue = false;
    for (ipp_attribute_t* a = cups_.ippFirstAttribute(response); a;
         a = cups_.ippNextAttribute(response)) {
      if (cups_.ippGetGroupTag(a) != IPP_TAG_PRINTER || !cups_.ippGetName(a)) {
        if (inQueue && !queue.name.empty()) queues.push_back(queue);
        queue = SpoolerQueue{};
        inQueue = false;
        continue;
      }
      inQueue = true;
      Take(a, queue);
    }
    if (inQueue && !queue.name.empty()) queues.push_back(queue);
    cups_.ippDelete(response);
    return Listed::Ok(queues);
  }

  SysResult<SpoolerQueue> GetQueue(const std::string& name) override {
    std::string uri;
    if (!PrinterUri(name, uri)) return SysResult<SpoolerQueue>::Fail("ipp-printer-uri", EINVAL);
    ipp_t* request = cups_.ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    cups_.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                       uri.c_str());
    AddRequestedAttributes(request);
    int error = 0;
    ipp_t* response = Send(request, "/", error);
    if (!response) return SysResult<SpoolerQueue>::Fail("ipp-get-printer-attributes", error);
    SpoolerQueue queue;
    for (ipp_attribute_t* a = cups_.ippFirstAttribute(response); a;
         a = cups_.ippNextAttribute(response)) {
      if (cups_.ippGetGroupTag(a) == IPP_TAG_PRINTER && cups_.ippGetName(a)) Take(a, queue);
    }
    cups_.ippDelete(response);
    return SysResult<SpoolerQueue>::Ok(queue);
  }

  SysStatus PauseQueue(const std::string& name, const std::string& message) override {
    return PrinterRequest(IPP_OP_PAUSE_PRINTER, name, "ipp-pause-printer", [&](ipp_t* request) {
      cups_.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_TEXT, "printer-state-message", nullptr,
                         message.c_str());
    });
  }

  SysStatus ResumeQueue(const std::string& name) override {
    return PrinterRequest(IPP_OP_RESUME_PRINTER, name, "ipp-resume-printer", [](ipp_t*) {});
  }

  SysStatus SetAcceptingJobs(const std::string& name, bool accepting,
                             const std::string& message) override {
    if (accepting) {
      return PrinterRequest(IPP_OP_CUPS_ACCEPT_JOBS, name, "ipp-cups-accept-jobs", [](ipp_t*) {});
    }
    // Without a message of its own the scheduler writes "Rejecting Jobs" over the note.
    return PrinterRequest(IPP_OP_CUPS_REJECT_JOBS, name, "ipp-cups-reject-jobs",
                          [&](ipp_t* request) {
                            cups_.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_TEXT,
                                               "printer-state-message", nullptr, message.c_str());
                          });
  }

 private:
  // One administrative request on the queue `name`; `fill` adds what it needs.
  template <typename Fill>
  SysStatus PrinterRequest(ipp_op_t operation, const std::string& name, const char* call,
                           Fill fill) {
    std::string uri;
    if (!PrinterUri(name, uri)) return SysStatus::Fail("ipp-printer-uri", EINVAL);
    ipp_t* request = cups_.ippNewRequest(operation);
    cups_.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                       uri.c_str());
    cups_.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                       cups_.cupsUser());
    fill(request);
    int error = 0;
    ipp_t* response = Send(request, "/admin/", error);
    if (!response) return SysStatus::Fail(call, error);
    cups_.ippDelete(response);
    return OkStatus();
  }

  void AddRequestedAttributes(ipp_t* request) {
    static const char* const kAttributes[] = {"printer-name",           "device-uri",
                                              "printer-make-and-model", "printer-is-accepting-jobs",
                                              "printer-state",          "printer-state-message"};
    cups_.ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                        sizeof kAttributes / sizeof *kAttributes, nullptr, kAttributes);
  }

  void Take(ipp_attribute_t* a, SpoolerQueue& queue) {
    const std::string name = cups_.ippGetName(a);
    const char* text = cups_.ippGetString(a, 0, nullptr);
    if (name == "printer-name" && text) queue.name = text;
    if (name == "device-uri" && text) queue.deviceUri = text;
    if (name == "printer-make-and-model" && text) queue.makeAndModel = text;
    if (name == "printer-is-accepting-jobs") queue.acceptingJobs = cups_.ippGetBoolean(a, 0) != 0;
    if (name == "printer-state") queue.paused = cups_.ippGetInteger(a, 0) == IPP_PSTATE_STOPPED;
    if (name == "printer-state-message" && text) queue.stateMessage = text;
  }

  bool PrinterUri(const std::string& name, std::string& uri) {
    char buffer[HTTP_MAX_URI];
    if (cups_.httpAssembleURIf(HTTP_URI_CODING_ALL, buffer, sizeof buffer, "ipp", nullptr,
                               "localhost", 0, "/printers/%s", name.c_str()) < HTTP_URI_STATUS_OK) {
      return false;
    }
    uri = buffer;
    return true;
  }

  // Sends the request (and frees it); the response when the scheduler answered with
  // success, else nullptr and `error`: ENOENT for a queue it does not know, EPERM for
  // another refusal, ETIMEDOUT for no answer in time, EINTR for a stop request,
  // EHOSTUNREACH when it cannot be reached.
  ipp_t* Send(ipp_t* request, const char* resource, int& error) {
    if (!Connected()) {
      cups_.ippDelete(request);
      error = StopRequested() ? EINTR : EHOSTUNREACH;
      return nullptr;
    }
    requestStart_ = SteadyClock::now();
    interrupted_ = false;
    ipp_t* response = cups_.cupsDoRequest(http_, request, resource);
    if (!response) {
      error = interrupted_ ? (StopRequested() ? EINTR : ETIMEDOUT) : EHOSTUNREACH;
      // Whatever the connection holds now is of no use: the next request starts afresh,
      // but not at once, so a hung scheduler costs one time-out, not one per queue.
      Disconnect();
      return nullptr;
    }
    const ipp_status_t status = cups_.ippGetStatusCode(response);
    if (status > IPP_STATUS_OK_CONFLICTING) {
      cups_.ippDelete(response);
      error = status == IPP_STATUS_ERROR_NOT_FOUND ? ENOENT : EPERM;
      return nullptr;
    }
    return response;
  }

  bool Connected() {
    if (http_) return true;
    if (SteadyClock::now() < retryAfter_ || StopRequested()) return false;
    // A scheduler that takes long to accept is asked again in short attempts, so a stop
    // request is seen within one of them; one that refuses at once is not asked again.
    const auto start = SteadyClock::now();
    while (!http_ && !StopRequested() && SteadyClock::now() - start < kConnectLimit) {
      const auto attempt = SteadyClock::now();
      http_ = cups_.httpConnect2(server_.c_str(), port_, nullptr, AF_UNSPEC, cups_.cupsEncryption(),
                                 1, kConnectAttemptMs, nullptr);
      if (!http_ &&
          SteadyClock::now() - attempt < std::chrono::milliseconds(kConnectAttemptMs / 2)) {
        break;
      }
    }
    if (!http_) {
      retryAfter_ = SteadyClock::now() + kRetryPause;
      return false;
    }
    cups_.httpSetTimeout(http_, kWaitSliceSeconds, &CupsSpooler::KeepWaiting, this);
    return true;
  }

  void Disconnect() {
    if (http_) cups_.httpClose(http_);
    http_ = nullptr;
    retryAfter_ = SteadyClock::now() + kRetryPause;
  }

  // Asked by libcups each time a wait for the scheduler has gone on for one slice.
  static int KeepWaiting(http_t* /*http*/, void* self) {
    auto& spooler = *static_cast<CupsSpooler*>(self);
    if (!StopRequested() && SteadyClock::now() - spooler.requestStart_ < spooler.requestLimit_) {
      return 1;
    }
    spooler.interrupted_ = true;
    return 0;
  }

  static constexpr int kConnectAttemptMs = 1000;
  static constexpr auto kConnectLimit = std::chrono::seconds(3);
  static constexpr double kWaitSliceSeconds = 0.25;
  static constexpr auto kRetryPause = std::chrono::seconds(2);
  // A scheduler that is not there fails a listing instead of answering no queues.
  const bool absentFails_;
  const CupsCalls cups_;
  const std::string server_;
  const int port_;
  const std::chrono::seconds requestLimit_;
  http_t* http_ = nullptr;
  SteadyClock::time_point retryAfter_{};
  SteadyClock::time_point requestStart_{};
  bool interrupted_ = false;
};

// A download waits this long for each answer: a scheduler held up for seconds (busy, swapped
// out, stopped a moment) still parks the queues before the first byte goes.
constexpr auto kDownloadRequestLimit = std::chrono::seconds(15);
// A start only looks for what runs that died left behind; the next start looks again.
constexpr auto kStartRequestLimit = std::chrono::seconds(4);

std::unique_ptr<Spooler> CupsSpoolerWithin(std::chrono::seconds requestLimit,
                                           bool absentFails = false) {
  // Without the library there is no scheduler to reach: the same as a build without CUPS.
  const std::optional<CupsCalls> cups = LoadCups();
  if (!cups) return absentFails ? CreateUnreachableSpooler() : CreateAbsentSpooler();
  return std::make_unique<CupsSpooler>(*cups, requestLimit, absentFails);
}

}  // namespace

std::unique_ptr<Spooler> CreateSystemSpooler() {
  return CupsSpoolerWithin(kDownloadRequestLimit);
}

std::unique_ptr<Spooler> CreateSystemSpoolerIfRunning() {
  // A scheduler on this machine listens on its domain socket; a CUPS_SERVER or a client
  // configuration may name another one, which only asking can rule out.
  const char* server = std::getenv("CUPS_SERVER");
  bool mayRun = false;
  if (server && *server) {
    mayRun = *server != '/' || access(server, F_OK) == 0;
  } else {
    for (const char* place :
         {"/run/cups/cups.sock", "/var/run/cups/cups.sock", "/etc/cups/client.conf"}) {
      if (access(place, F_OK) == 0) mayRun = true;
    }
  }
  return mayRun ? CupsSpoolerWithin(kStartRequestLimit) : CreateAbsentSpooler();
}

std::unique_ptr<Spooler> CreateSystemSpoolerToList() {
  return CupsSpoolerWithin(kStartRequestLimit, true);
}

}  // namespace platform
