// Where the running executable lies, for what is installed beside it (the
// window module, the catalogs of the texts).
#pragma once

#include <string>

// The folder of the running executable with its links resolved, so that a
// symbolic link to zoruna elsewhere still finds what lies beside the real
// file; "." when the system does not say.
std::string ExecutableDir();
