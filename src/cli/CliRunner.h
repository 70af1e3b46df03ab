#pragma once

namespace dax {

// daxtool-cli from its arguments to its exit status.
int RunCli(int argc, char** argv);

} // namespace dax
