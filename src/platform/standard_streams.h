#pragma once

namespace platform {

// Makes the standard streams safe to write before anything else is opened. Linux: a stream
// the caller closed is opened on /dev/null, so that no printer's socket or serial line ever
// takes its number and receives log lines; a reader that went away (a script's "| head -1")
// fails a write instead of ending the run by SIGPIPE. Windows starts a window program
// without a console: when its caller's redirections gave it no standard output or error, an
// unattended run started from a console attaches to that console, so its lines, progress
// and reasons still appear there.
void PrepareStandardStreams();

}  // namespace platform
