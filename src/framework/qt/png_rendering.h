#pragma once

#include <QImage>
#include <string>

namespace fw {
class Dialog;
}

namespace fw::qt {

class QtBackend;

// What the open dialog's window shows, painted afresh, with its controls settled where
// their first paint puts them (skinned buttons take their face's size while painting).
// A null image when the dialog has no window.
QImage RenderDialog(QtBackend& backend, const Dialog& dialog);
// The same, written to `path` as a PNG; false when there is nothing to write or writing
// failed.
bool SaveDialogPng(QtBackend& backend, const Dialog& dialog, const std::string& path);

}  // namespace fw::qt
