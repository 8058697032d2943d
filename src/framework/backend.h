#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "framework/geometry.h"

namespace fw {

class Dialog;

// The narrow seam between the framework and a window system. The framework keeps every
// dialog's state; a backend creates the window, runs modal loops, keeps the window timers,
// delivers posted messages, paints and shows the boxes.
class Backend {
 public:
  virtual ~Backend() = default;

  // Creates the dialog's window, runs its initialisation and a modal loop until the dialog
  // ends (its result) or the process is ending (IDABORT). Re-entrant: a handler may run
  // another modal dialog, whose loop keeps dispatching every window's timers.
  virtual int RunModal(Dialog& dialog) = 0;

  // Win32 timer semantics: periodic until killed; setting an armed id again re-arms it.
  virtual void SetTimer(Dialog& dialog, int id, uint32_t ms) = 0;
  virtual void KillTimer(Dialog& dialog, int id) = 0;

  // Queues a close request; it is delivered by the modal loop, after what is already queued.
  virtual void PostClose(Dialog& dialog) = 0;

  virtual void Invalidate(Dialog& dialog, const Rect& rect, bool erase) = 0;
  virtual void UpdateWindow(Dialog& dialog) = 0;

  // The framework changed a control's state or the window's geometry, text or z-order.
  virtual void ControlChanged(Dialog& dialog, int id) = 0;
  virtual void WindowChanged(Dialog& dialog) = 0;

  // Starts moving the window with the pointer, as dragging a caption does.
  virtual void BeginWindowDrag(Dialog& dialog) = 0;

  virtual int MessageBox(const std::string& text, const std::string& caption) = 0;
  virtual std::optional<std::string> FileOpenDialog(const std::string& filter,
                                                    const std::string& initialDir) = 0;

  // Pixel size of one horizontal and one vertical dialog base unit for a template font.
  virtual Size DialogBaseUnits(const std::string& fontName, int points) = 0;

  // Every modal loop unwinds with IDABORT; no new one starts.
  virtual void Quit() = 0;
  virtual bool Quitting() const = 0;
};

// The backend in use. Without one installed, a headless backend on the real clock.
Backend& CurrentBackend();

// Installs a backend for the lifetime of this object.
class ScopedBackend {
 public:
  explicit ScopedBackend(Backend& backend);
  ~ScopedBackend();
  ScopedBackend(const ScopedBackend&) = delete;
  ScopedBackend& operator=(const ScopedBackend&) = delete;

 private:
  Backend* previous_;
};

// Makes `backend` the process's backend for good (main() does this once).
void InstallBackend(std::unique_ptr<Backend> backend);

}  // namespace fw
