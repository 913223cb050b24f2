// Facts about the running process and thread.
#pragma once

#include <cstdint>
#include <string>

namespace kel::platform {

// The kernel's id of the calling thread.
uint32_t CurrentThreadId();

// The file name of the process's executable (the path without its folders),
// or an empty text when it cannot be read.
std::string ExecutableFileName();

}  // namespace kel::platform
