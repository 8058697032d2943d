#include "support/private_cups_server.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

extern char** environ;

namespace testsupport {

namespace {
int RunQuiet(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
// lpstat answers 0 even when no scheduler is there; a connection tells for sure.
bool Listening(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  path.copy(address.sun_path, path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}
// A loopback port nobody listens on now, for the scheduler's TCP listener.
int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);
  return port;
}
}  // namespace

PrivateCupsServer::PrivateCupsServer() {
  const std::string d = dir_.path();
  for (const char* sub : {"server", "server/backend", "spool", "cache", "state", "log", "tmp"}) {
    mkdir((d + "/" + sub).c_str(), 0755);
  }
  // The scheduler refuses queues whose device scheme has no backend: dummy ones do.
  if (symlink("/usr/lib/cups/daemon", (d + "/server/daemon").c_str()) != 0) return;
  for (const char* backend : {"serial", "usb", "parallel", "socket"}) {
    const std::string path = d + "/server/backend/" + backend;
    WriteFile(path, "#!/bin/sh\nexit 0\n");
    chmod(path.c_str(), 0755);
  }
  WriteFile(d + "/cups-files.conf",
            "ServerRoot " + d + "\nStateDir " + d + "/state\nCacheDir " + d +
                "/cache\nRequestRoot " + d + "/spool\nTempDir " + d + "/tmp\nServerBin " + d +
                "/server\nAccessLog " + d + "/log/access_log\nErrorLog " + d +
                "/log/error_log\nPageLog " + d + "/log/page_log\nPrintcap " + d +
                "/printcap\nSystemGroup root\nFileDevice Yes\n");
  socket_ = d + "/cups.sock";
  port_ = FreeLoopbackPort();
  WriteFile(d + "/cupsd.conf", "Listen " + socket_ + "\nListen 127.0.0.1:" + std::to_string(port_) +
                                   "\nBrowsing No\nWebInterface No\nDirtyCleanInterval 0\n"
                                   "LogLevel warn\n<Policy default>\n<Limit All>\nOrder "
                                   "allow,deny\nAllow all\n</Limit>\n</Policy>\n<Location />\n"
                                   "Order allow,deny\nAllow all\n</Location>\n");
  Start();
}

bool PrivateCupsServer::Start() {
  const std::string d = dir_.path();
  std::vector<std::string> args{"/usr/sbin/cupsd",      "-f", "-s",
                                d + "/cups-files.conf", "-c", d + "/cupsd.conf"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, (d + "/log/stderr").c_str(), O_WRONLY | O_CREAT,
                                   0644);
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  // Ready once it listens on its socket.
  for (int i = 0; i < 500 && pid_ > 0; ++i) {
    if (Listening(socket_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void PrivateCupsServer::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
}

PrivateCupsServer::~PrivateCupsServer() {
  Stop();
}

bool PrivateCupsServer::AddQueue(const std::string& name, const std::string& deviceUri,
                                 const std::string& makeAndModel) {
  std::vector<std::string> args{
      "/usr/sbin/lpadmin", "-h", socket_, "-p", name, "-E", "-v", deviceUri};
  if (!makeAndModel.empty()) {
    const std::string ppd = dir_.Join(name + ".ppd");
    WriteFile(ppd, "*PPD-Adobe: \"4.3\"\n*NickName: \"" + makeAndModel + "\"\n*ModelName: \"" +
                       makeAndModel + "\"\n");
    args.push_back("-P");
    args.push_back(ppd);
  }
  return RunQuiet(args) == 0;
}

bool PrivateCupsServer::Reject(const std::string& name, const std::string& reason) {
  if (reason.empty()) return RunQuiet({"/usr/sbin/cupsreject", "-h", socket_, name}) == 0;
  return RunQuiet({"/usr/sbin/cupsreject", "-h", socket_, "-r", reason, name}) == 0;
}

bool PrivateCupsServer::Pause(const std::string& name, const std::string& reason) {
  if (reason.empty()) return RunQuiet({"/usr/sbin/cupsdisable", "-h", socket_, name}) == 0;
  return RunQuiet({"/usr/sbin/cupsdisable", "-h", socket_, "-r", reason, name}) == 0;
}

bool PrivateCupsServer::Paused(const std::string& name) const {
  return Lpstat("-p '" + name + "'").find("printer " + name + " disabled") != std::string::npos;
}

std::string PrivateCupsServer::StateMessage(const std::string& name) const {
  // lpstat puts the reason on the line after the state, behind a tab.
  const std::string out = Lpstat("-p '" + name + "'");
  const size_t at = out.find("\n\t");
  if (at == std::string::npos) return std::string();
  const size_t end = out.find('\n', at + 2);
  return out.substr(at + 2, end == std::string::npos ? std::string::npos : end - at - 2);
}

bool PrivateCupsServer::RemoveQueue(const std::string& name) {
  return RunQuiet({"/usr/sbin/lpadmin", "-h", socket_, "-x", name}) == 0;
}

bool PrivateCupsServer::Print(const std::string& name) {
  const std::string file = dir_.Join("job.txt");
  WriteFile(file, "a page\n");
  return RunQuiet({"/usr/bin/lp", "-h", socket_, "-d", name, file}) == 0;
}

int PrivateCupsServer::JobCount(const std::string& name, bool completed) const {
  const std::string out =
      Lpstat(std::string(completed ? "-W completed" : "-W not-completed") + " -o '" + name + "'");
  int count = 0;
  for (size_t at = out.find(name + "-"); at != std::string::npos;
       at = out.find(name + "-", at + 1)) {
    if (at == 0 || out[at - 1] == '\n') ++count;
  }
  return count;
}

std::string PrivateCupsServer::Lpstat(const std::string& options) const {
  const std::string command = "/usr/bin/lpstat -h '" + socket_ + "' " + options + " 2>/dev/null";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

std::string PrivateCupsServer::DeviceOf(const std::string& name) const {
  const std::string out = Lpstat("-v '" + name + "'");
  const std::string marker = "device for " + name + ": ";
  const size_t at = out.find(marker);
  if (at == std::string::npos) return std::string();
  const size_t end = out.find('\n', at);
  return out.substr(at + marker.size(), end - at - marker.size());
}

bool PrivateCupsServer::Accepting(const std::string& name) const {
  return Lpstat("-a '" + name + "'").find(name + " accepting requests") != std::string::npos;
}

}  // namespace testsupport
