#pragma once

#include <string>

namespace dax {

// The report on standard output is the command's result for a script: output that could not
// be written makes the run a failure, never a silent success.
namespace StandardOutput {

// Before any file or port is opened: a standard stream that is closed gets /dev/null, so that
// nothing opened later takes its number (the report would go into a port or the trace). A
// closed stdout is remembered as lost output.
void Protect();

// At the end: flushes and closes stdout. False with the reason when any of it was lost.
bool Finish(std::string& error);

} // namespace StandardOutput

} // namespace dax
