#include "support/child_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

extern char** environ;

namespace testsupport {

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
  int fds[2];
  if (argv.empty() || ::pipe2(fds, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  stdout_ = fds[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !status_) {
    Signal(SIGTERM);
    if (!Wait(5000)) {
      Signal(SIGKILL);
      Wait(5000);
    }
  }
  if (stdout_ >= 0) ::close(stdout_);
}

std::optional<std::string> ChildProcess::ReadLine(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (auto end = pending_.find('\n'); end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || stdout_ < 0) return std::nullopt;
    pollfd entry{stdout_, POLLIN, 0};
    int n = ::poll(&entry, 1, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    char chunk[512];
    ssize_t got = ::read(stdout_, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    pending_.append(chunk, static_cast<size_t>(got));
  }
}

void ChildProcess::Signal(int signal) {
  if (pid_ > 0 && !status_) ::kill(pid_, signal);
}

std::optional<int> ChildProcess::Wait(int timeoutMs) {
  if (status_ || pid_ <= 0) return status_;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return status_;
    }
    if (done < 0 && errno != EINTR) return std::nullopt;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

pid_t PidOfProgram(const std::string& path) {
  DIR* proc = ::opendir("/proc");
  if (!proc) return -1;
  pid_t found = -1;
  while (dirent* entry = ::readdir(proc)) {
    const std::string name = entry->d_name;
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    char target[4096];
    const ssize_t n = ::readlink(("/proc/" + name + "/exe").c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<size_t>(n)) == path) {
      found = static_cast<pid_t>(std::stol(name));
      break;
    }
  }
  ::closedir(proc);
  return found;
}

}  // namespace testsupport
