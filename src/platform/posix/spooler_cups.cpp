#include <cups/cups.h>
#include <cups/ipp.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/absent_spooler.h"
#include "platform/module_loader.h"
#include "platform/spooler.h"

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

// Talks IPP to one CUPS scheduler over one connection, opened on first use.
class CupsSpooler final : public Spooler {
 public:
  explicit CupsSpooler(const CupsCalls& cups) : cups_(cups) {
    const char* server = std::getenv("CUPS_SERVER");
    server_ = server && *server ? server : cups_.cupsServer();
  }
  ~CupsSpooler() override {
    if (http_) cups_.httpClose(http_);
  }

  std::vector<SpoolerQueue> ListQueues() override {
    std::vector<SpoolerQueue> queues;
    ipp_t* request = cups_.ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    AddRequestedAttributes(request);
    ipp_t* response = Send(request, "/");
    if (!response) return queues;
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
    return queues;
  }

  SysResult<SpoolerQueue> GetQueue(const std::string& name) override {
    std::string uri;
    if (!PrinterUri(name, uri)) return SysResult<SpoolerQueue>::Fail("ipp-printer-uri", EINVAL);
    ipp_t* request = cups_.ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    cups_.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                       uri.c_str());
    AddRequestedAttributes(request);
    ipp_t* response = Send(request, "/");
    if (!response) return SysResult<SpoolerQueue>::Fail("ipp-get-printer-attributes", ENOENT);
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

  SysStatus SetAcceptingJobs(const std::string& name, bool accepting) override {
    return PrinterRequest(accepting ? IPP_OP_CUPS_ACCEPT_JOBS : IPP_OP_CUPS_REJECT_JOBS, name,
                          accepting ? "ipp-cups-accept-jobs" : "ipp-cups-reject-jobs",
                          [](ipp_t*) {});
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
    ipp_t* response = Send(request, "/admin/");
    if (!response) return SysStatus::Fail(call, EPERM);
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
  // success, else nullptr.
  ipp_t* Send(ipp_t* request, const char* resource) {
    if (!http_ && !failed_) {
      http_ = cups_.httpConnect2(server_.c_str(), cups_.ippPort(), nullptr, AF_UNSPEC,
                                 cups_.cupsEncryption(), 1, kConnectTimeoutMs, nullptr);
      failed_ = http_ == nullptr;  // no scheduler: don't try again for every queue
    }
    if (!http_) {
      cups_.ippDelete(request);
      return nullptr;
    }
    ipp_t* response = cups_.cupsDoRequest(http_, request, resource);
    if (!response) return nullptr;
    if (cups_.ippGetStatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
      cups_.ippDelete(response);
      return nullptr;
    }
    return response;
  }

  static constexpr int kConnectTimeoutMs = 3000;
  const CupsCalls cups_;
  std::string server_;
  http_t* http_ = nullptr;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<Spooler> CreateSystemSpooler() {
  // Without the library there is no scheduler to reach: the same as a build without CUPS.
  const std::optional<CupsCalls> cups = LoadCups();
  if (!cups) return CreateAbsentSpooler();
  return std::make_unique<CupsSpooler>(*cups);
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
  return mayRun ? CreateSystemSpooler() : CreateAbsentSpooler();
}

}  // namespace platform
