#include <cups/cups.h>
#include <cups/ipp.h>

#include <cstdlib>

#include "platform/spooler.h"

namespace platform {

namespace {

// Talks IPP to one CUPS scheduler over one connection, opened on first use.
class CupsSpooler final : public Spooler {
 public:
  CupsSpooler() {
    const char* server = std::getenv("CUPS_SERVER");
    server_ = server && *server ? server : cupsServer();
  }
  ~CupsSpooler() override {
    if (http_) httpClose(http_);
  }

  std::vector<SpoolerQueue> ListQueues() override {
    std::vector<SpoolerQueue> queues;
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    AddRequestedAttributes(request);
    ipp_t* response = Send(request, "/");
    if (!response) return queues;
    SpoolerQueue queue;
    bool inQueue = false;
    for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
      if (ippGetGroupTag(a) != IPP_TAG_PRINTER || !ippGetName(a)) {
        if (inQueue && !queue.name.empty()) queues.push_back(queue);
        queue = SpoolerQueue{};
        inQueue = false;
        continue;
      }
      inQueue = true;
      Take(a, queue);
    }
    if (inQueue && !queue.name.empty()) queues.push_back(queue);
    ippDelete(response);
    return queues;
  }

  SysResult<SpoolerQueue> GetQueue(const std::string& name) override {
    std::string uri;
    if (!PrinterUri(name, uri)) return SysResult<SpoolerQueue>::Fail("ipp-printer-uri", EINVAL);
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    AddRequestedAttributes(request);
    ipp_t* response = Send(request, "/");
    if (!response) return SysResult<SpoolerQueue>::Fail("ipp-get-printer-attributes", ENOENT);
    SpoolerQueue queue;
    for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
      if (ippGetGroupTag(a) == IPP_TAG_PRINTER && ippGetName(a)) Take(a, queue);
    }
    ippDelete(response);
    return SysResult<SpoolerQueue>::Ok(queue);
  }

  SysStatus PauseQueue(const std::string& name, const std::string& message) override {
    return PrinterRequest(IPP_OP_PAUSE_PRINTER, name, "ipp-pause-printer", [&](ipp_t* request) {
      ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_TEXT, "printer-state-message", nullptr,
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
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    fill(request);
    ipp_t* response = Send(request, "/admin/");
    if (!response) return SysStatus::Fail(call, EPERM);
    ippDelete(response);
    return OkStatus();
  }

  static void AddRequestedAttributes(ipp_t* request) {
    static const char* const kAttributes[] = {"printer-name",           "device-uri",
                                              "printer-make-and-model", "printer-is-accepting-jobs",
                                              "printer-state",          "printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  sizeof kAttributes / sizeof *kAttributes, nullptr, kAttributes);
  }

  static void Take(ipp_attribute_t* a, SpoolerQueue& queue) {
    const std::string name = ippGetName(a);
    const char* text = ippGetString(a, 0, nullptr);
    if (name == "printer-name" && text) queue.name = text;
    if (name == "device-uri" && text) queue.deviceUri = text;
    if (name == "printer-make-and-model" && text) queue.makeAndModel = text;
    if (name == "printer-is-accepting-jobs") queue.acceptingJobs = ippGetBoolean(a, 0) != 0;
    if (name == "printer-state") queue.paused = ippGetInteger(a, 0) == IPP_PSTATE_STOPPED;
    if (name == "printer-state-message" && text) queue.stateMessage = text;
  }

  static bool PrinterUri(const std::string& name, std::string& uri) {
    char buffer[HTTP_MAX_URI];
    if (httpAssembleURIf(HTTP_URI_CODING_ALL, buffer, sizeof buffer, "ipp", nullptr, "localhost", 0,
                         "/printers/%s", name.c_str()) < HTTP_URI_STATUS_OK) {
      return false;
    }
    uri = buffer;
    return true;
  }

  // Sends the request (and frees it); the response when the scheduler answered with
  // success, else nullptr.
  ipp_t* Send(ipp_t* request, const char* resource) {
    if (!http_ && !failed_) {
      http_ = httpConnect2(server_.c_str(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                           kConnectTimeoutMs, nullptr);
      failed_ = http_ == nullptr;  // no scheduler: don't try again for every queue
    }
    if (!http_) {
      ippDelete(request);
      return nullptr;
    }
    ipp_t* response = cupsDoRequest(http_, request, resource);
    if (!response) return nullptr;
    if (ippGetStatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
      ippDelete(response);
      return nullptr;
    }
    return response;
  }

  static constexpr int kConnectTimeoutMs = 3000;
  std::string server_;
  http_t* http_ = nullptr;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<Spooler> CreateSystemSpooler() {
  return std::make_unique<CupsSpooler>();
}

}  // namespace platform
