#include "framework/application.h"

#include "framework/backend.h"

namespace fw {

namespace {
Application*& CurrentApplication() {
  static Application* current = nullptr;
  return current;
}

struct EarlyEnd {
  bool ending = false;
  int code = 0;
};

EarlyEnd& ProcessEnd() {
  static EarlyEnd end;
  return end;
}
}  // namespace

Application::Application() {
  CurrentApplication() = this;
}

Application::~Application() {
  if (CurrentApplication() == this) CurrentApplication() = nullptr;
}

Application* Application::Current() {
  return CurrentApplication();
}

int Application::ExitInstance() {
  return exitCode_;
}

int Application::Run() {
  ProcessEnd() = EarlyEnd{};
  InitInstance();
  const int code = ExitInstance();
  return ProcessEnd().ending ? ProcessEnd().code : code;
}

void Application::EndProcess(int code) {
  ProcessEnd().ending = true;
  ProcessEnd().code = code;
  if (auto* app = Current()) app->SetExitCode(code);
  CurrentBackend().Quit();
}

bool Application::Ending() {
  return ProcessEnd().ending;
}

}  // namespace fw
