#pragma once

namespace platform {

// This process's id.
long CurrentProcessId();
// True when `processId` names a running process of this same program. A process that
// cannot be looked at is taken as running, so that nothing of a live run is undone.
bool IsRunningInstance(long processId);

}  // namespace platform
