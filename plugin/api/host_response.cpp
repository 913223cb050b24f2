#include "api/host_response.h"

#include <cstring>

namespace kel {

HostResponse::HostResponse() noexcept { std::memset(&record_, 0, sizeof(record_)); }

void HostResponse::Release() noexcept {
  const ResponseReleaseFn release = record_.release;
  if (release != nullptr) release(&record_);
  std::memset(&record_, 0, sizeof(record_));
}

}  // namespace kel
