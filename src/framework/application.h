#pragma once

namespace fw {

// The process's one application object: a start step, an exit step, and the exit code the
// process ends with. `Run` is what main() calls.
class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The start step. Its answer says whether the application runs a message loop of its
  // own after it: false, always here, as every window runs its own modal loop.
  virtual bool InitInstance() = 0;
  // The exit step; its answer is the process exit code unless the process was ended early.
  virtual int ExitInstance();

  int Run();

  // Ends the process early with `code`: every modal loop unwinds at once and no new one
  // runs; the exit step still runs, so buffered log lines are written out.
  static void EndProcess(int code);
  static bool Ending();

  // The exit code of a normal end (0 unless a caller sets another).
  void SetExitCode(int code) { exitCode_ = code; }
  int ExitCode() const { return exitCode_; }

  static Application* Current();

 private:
  int exitCode_ = 0;
};

}  // namespace fw
