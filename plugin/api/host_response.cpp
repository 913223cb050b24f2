#include "api/host_response.h"

#include <cstring>

namespace kel {

HostResponse::HostResponse() noexcept { std::memset(&record_, 0, sizeof(record_)); }

void HostResponse::Release() noexcept {
  if (record_.release_body != nullptr) record_.release_body(record_.body_stream);
  const ResponseReleaseFn release = record_.release;
  if (release != nullptr) release(&record_);
  std::memset(&record_, 0, sizeof(record_));
}

}  // namespace kel
