#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace kel {

// The wire class names of the DROV records (the names the remote service
// gives them), by the identifier of the record's static type. Filled while
// the plug-in registers its types; read by DROV calls to check the class of
// a reply.
class DrovClassNames {
 public:
  void Add(std::uint32_t staticTypeIdentifier, std::string_view className);
  std::optional<std::string> Find(std::uint32_t staticTypeIdentifier) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::uint32_t, std::string> names_;
};

}  // namespace kel
