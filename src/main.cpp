#include "app/firmware_app.h"

int main(int argc, char** argv) {
  CFirmwareApp app(InteractiveWindow::kUnavailable);
  app.SetCommandLine(argc, argv);
  return app.Run();
}
