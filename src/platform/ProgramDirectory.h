#pragma once

#include <string>

namespace dax {

// The directory of the running program's executable, with its trailing separator; the printer
// alignment files lie there. Empty when the system cannot say.
std::string ProgramDirectory();

} // namespace dax
