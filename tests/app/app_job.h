#pragma once

#include <string>
#include <vector>

#include "app/firmware_app.h"
#include "support/temp_dir.h"

// An application object whose working directory is a fresh temp directory holding the
// given (empty) files, for running the job decoders in-process.
struct AppJob {
  explicit AppJob(const std::vector<std::string>& files = {}) {
    for (const std::string& name : files) testsupport::WriteFile(dir.Join(name), "");
    app.workDir = dir.path();
  }
  testsupport::TempDir dir;
  CFirmwareApp app;
};

inline std::string LongText(size_t length, char fill) {
  return std::string(length, fill);
}
