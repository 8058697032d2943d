#include "framework/backend.h"

#include "framework/headless/headless_backend.h"

namespace fw {

namespace {
struct Installed {
  Backend* current = nullptr;
  std::unique_ptr<Backend> owned;
};

Installed& Registry() {
  static Installed installed;
  return installed;
}
}  // namespace

Backend& CurrentBackend() {
  auto& r = Registry();
  if (!r.current) {
    r.owned = std::make_unique<HeadlessBackend>();
    r.current = r.owned.get();
  }
  return *r.current;
}

void InstallBackend(std::unique_ptr<Backend> backend) {
  auto& r = Registry();
  r.owned = std::move(backend);
  r.current = r.owned.get();
}

ScopedBackend::ScopedBackend(Backend& backend) : previous_(Registry().current) {
  Registry().current = &backend;
}

ScopedBackend::~ScopedBackend() {
  Registry().current = previous_;
}

}  // namespace fw
