#include "platform/queue_note_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "platform/stop_request.h"
#include "platform/sys_result.h"

namespace platform {

namespace {
constexpr auto kLongestWait = std::chrono::seconds(5);

// One lock file for every user of the machine: the queues are the machine's. It lives in
// a sticky, world-writable directory, so it is opened without following links, without
// blocking, and only taken when it is a plain file.
int OpenLockFile() {
  for (const char* dir : {"/run/lock", "/tmp"}) {
    const std::string path = std::string(dir) + "/vrtqlx-queues.lock";
    const int fd = RetryOnInterrupt([&] {
      return open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    });
    if (fd < 0) continue;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      close(fd);
      continue;
    }
    // The file is made under the caller's umask; others must be able to lock it too.
    if (info.st_uid == geteuid()) fchmod(fd, 0666);
    return fd;
  }
  return -1;
}
}  // namespace

QueueNoteLock::QueueNoteLock() {
  const int fd = OpenLockFile();
  if (fd < 0) return;
  handle_ = fd;
  const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
  while (!held_) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      held_ = true;
    } else if ((errno != EWOULDBLOCK && errno != EINTR) || StopRequested() ||
               std::chrono::steady_clock::now() >= deadline) {
      return;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
}

QueueNoteLock::~QueueNoteLock() {
  // Closing the file lets the lock go.
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

}  // namespace platform
