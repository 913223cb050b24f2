#include "platform/process_info.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <climits>

namespace kel::platform {

uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

std::string ExecutableFileName() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0) return {};
  const std::string full(path, static_cast<size_t>(length));
  return full.substr(full.find_last_of('/') + 1);
}

}  // namespace kel::platform
