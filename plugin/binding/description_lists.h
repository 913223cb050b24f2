#pragma once
// The type and event lists of the API description, built once from a
// registry at the end of loading and unchanged afterwards. The object owns
// every record and text the lists point to.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "binding/type_list_abi.h"

namespace kel {

class BindingRegistry;

class BindingDescriptionLists {
 public:
  explicit BindingDescriptionLists(const BindingRegistry& registry);
  BindingDescriptionLists(const BindingDescriptionLists&) = delete;
  BindingDescriptionLists& operator=(const BindingDescriptionLists&) = delete;

  // Null when the list is empty.
  const BindingTypeRecord* Types() const noexcept { return types_.empty() ? nullptr : types_.data(); }
  std::uint32_t TypeCount() const noexcept { return static_cast<std::uint32_t>(types_.size()); }
  const BindingEventRecord* Events() const noexcept { return events_.empty() ? nullptr : events_.data(); }
  std::uint32_t EventCount() const noexcept { return static_cast<std::uint32_t>(events_.size()); }

 private:
  const char* Own(std::string_view text);
  const char* const* OwnTags(const std::vector<std::string>& tags);

  std::deque<std::string> texts_;  // a deque never moves what it holds
  std::deque<std::vector<const char*>> tagArrays_;
  std::deque<std::vector<BindingFieldRecord>> fieldArrays_;
  std::deque<std::vector<BindingEnumeratorRecord>> enumeratorArrays_;
  std::vector<BindingTypeRecord> types_;
  std::vector<BindingEventRecord> events_;
};

}  // namespace kel
