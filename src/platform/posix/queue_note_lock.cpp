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
constexpr const char* kRootDir = "/run/vrtqlx";

struct LockPlace {
  std::string dir;
  std::string name;
};

// Opens `place.name` in `place.dir` for locking, without following a link at either step.
// The directory must be the caller's own and writable by nobody else (or a sticky one, for
// the per-user name in /tmp), the file a plain one of the caller's that nobody else may open.
int OpenLockFile(const LockPlace& place, bool sticky, std::string& problem) {
  const uid_t self = geteuid();
  const std::string path = place.dir + "/" + place.name;
  const int dir = RetryOnInterrupt(
      [&] { return open(place.dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); });
  if (dir < 0) {
    problem = DescribeError("open", errno) + " on " + place.dir;
    return -1;
  }
  struct stat info {};
  const bool dirOk =
      fstat(dir, &info) == 0 &&
      (sticky ? (info.st_mode & S_ISVTX) != 0 : info.st_uid == self && (info.st_mode & 022) == 0);
  if (!dirOk) {
    close(dir);
    problem = place.dir + " is not a directory of this user's that only it may write";
    return -1;
  }
  const int fd = RetryOnInterrupt([&] {
    return openat(dir, place.name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                  0600);
  });
  const int openError = errno;
  close(dir);
  if (fd < 0) {
    problem = DescribeError("open", openError) + " on " + path;
    return -1;
  }
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != self) {
    close(fd);
    problem = path + " is not a plain file of this user's";
    return -1;
  }
  // Anyone who may open the file may hold the lock: only its owner may.
  if ((info.st_mode & 077) != 0 && fchmod(fd, 0600) != 0) {
    close(fd);
    problem = path + " may be opened by others";
    return -1;
  }
  return fd;
}

int OpenOwnLockFile(std::string& problem) {
  if (geteuid() == 0) {
    // Made by the first root run after a boot; one of another owner there is refused.
    if (mkdir(kRootDir, 0755) != 0 && errno != EEXIST) {
      problem = DescribeError("mkdir", errno) + " on " + kRootDir;
      return -1;
    }
    return OpenLockFile({kRootDir, "queues.lock"}, false, problem);
  }
  const std::string uid = std::to_string(geteuid());
  // The runtime directory logind keeps for a logged-in user; a run outside any session
  // (cron) finds it as long as the user has one.
  const LockPlace runtime{"/run/user/" + uid, "vrtqlx-queues.lock"};
  if (access(runtime.dir.c_str(), F_OK) == 0) return OpenLockFile(runtime, false, problem);
  return OpenLockFile({"/tmp", "vrtqlx-queues-" + uid + ".lock"}, true, problem);
}
}  // namespace

QueueNoteLock::QueueNoteLock(LockWait wait) {
  std::string problem;
  const int fd = OpenOwnLockFile(problem);
  if (fd < 0) {
    problem_ = "the queue lock cannot be used (" + problem + "): print queues changed without it";
    return;
  }
  handle_ = fd;
  const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
  while (!held_) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      held_ = true;
    } else if (errno != EWOULDBLOCK && errno != EINTR) {
      problem_ = "the queue lock cannot be used (" + DescribeError("flock", errno) +
                 "): print queues changed without it";
      return;
    } else if (wait == LockWait::kUntilStop && StopRequested()) {
      return;
    } else if (std::chrono::steady_clock::now() >= deadline) {
      problem_ =
          "the queue lock is held by another process for over 5 s: print queues changed "
          "without it";
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
