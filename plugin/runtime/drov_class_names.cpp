#include "runtime/drov_class_names.h"

namespace kel {

void DrovClassNames::Add(std::uint32_t staticTypeIdentifier, std::string_view className) {
  std::lock_guard lock(mutex_);
  names_.insert_or_assign(staticTypeIdentifier, std::string(className));
}

std::optional<std::string> DrovClassNames::Find(std::uint32_t staticTypeIdentifier) const {
  std::lock_guard lock(mutex_);
  const auto found = names_.find(staticTypeIdentifier);
  if (found == names_.end()) return std::nullopt;
  return found->second;
}

}  // namespace kel
