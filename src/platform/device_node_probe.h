#pragma once

#include <string>

#include "platform/sys_result.h"

namespace platform {

// What a port opens its device node as.
enum class NodeUse {
  kSerialLine,  // a terminal line: it must be a character device
  kDeviceFile,  // a printer node (parallel port, USB printer), opened as a plain file
};

// What opening the node at `path` for a download would fail with, found by looking at it
// only: opening a serial line can raise or drop its modem lines, which a printer may take
// for a signal. The failure names the call and error the open itself would give. A node
// that passes may still be held by another program, which only opening shows.
SysStatus ProbeDeviceNode(const std::string& path, NodeUse use);

// Whether a serial or parallel line is there at `path`: a character device, and for a
// Linux ttyS node one with a UART behind it (sysfs type not 0; the sysfs root is
// QLX_SYSFS_ROOT when set). Looks without opening.
bool LinePresent(const std::string& path);

}  // namespace platform
