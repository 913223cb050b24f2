#pragma once

#include "api/request_abi.h"

namespace kel {

// The response record of one outbound request. Zeroed before the core fills
// it; the release function the core puts into it is called exactly once, by
// Release or at the latest when the HostResponse goes, whether the request
// succeeded or not. Until then the record's contents belong to the core.
class HostResponse {
 public:
  HostResponse() noexcept;
  ~HostResponse() { Release(); }
  HostResponse(const HostResponse&) = delete;
  HostResponse& operator=(const HostResponse&) = delete;

  ResponseRecord& Record() noexcept { return record_; }
  const ResponseRecord& Record() const noexcept { return record_; }

  // Closes the body stream through its own release function (when the core
  // put one in; read or not, refused or not, every stream is closed once),
  // hands the record back to the core through its release function (when
  // it has one) and leaves it zeroed. A second call does nothing.
  void Release() noexcept;

 private:
  ResponseRecord record_;
};

}  // namespace kel
