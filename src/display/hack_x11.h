// The Linux hack: the petal model over a backdrop in an X window, paced at 60 passes a
// second, until a termination signal or the window's end.
#pragma once

#include <string>
#include <vector>

namespace display {

// Returns the process's exit status.
int RunHack(const std::vector<std::string>& args, const char* program);

}  // namespace display
