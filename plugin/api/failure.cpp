#include "api/failure.h"

#include <utility>

namespace kel {

Failure::Failure(std::int32_t code, std::string message) : code_(code), message_(std::move(message)) {
  if (code_ != 0) properties_.emplace("errorCode_int", std::int64_t{code_});
}

Failure Failure::FromTemplate(std::int32_t code, std::string_view messageTemplate,
                              std::initializer_list<TemplateArgument> arguments) {
  Failure failure(code, {});
  std::string& text = failure.message_;
  text.reserve(messageTemplate.size());
  std::size_t pos = 0;
  while (pos < messageTemplate.size()) {
    const std::size_t open = messageTemplate.find('{', pos);
    const std::size_t close = open == std::string_view::npos ? open : messageTemplate.find('}', open + 1);
    if (close == std::string_view::npos) break;
    text.append(messageTemplate, pos, open - pos);
    const std::string_view name = messageTemplate.substr(open + 1, close - open - 1);
    const TemplateArgument* argument = nullptr;
    for (const TemplateArgument& candidate : arguments) {
      if (candidate.name == name) {
        argument = &candidate;
        break;
      }
    }
    if (argument == nullptr) {
      text.append(messageTemplate, open, close + 1 - open);
    } else {
      text.append(argument->value);
      failure.properties_.insert_or_assign(std::string(name) + "_str", std::string(argument->value));
    }
    pos = close + 1;
  }
  text.append(messageTemplate, pos);
  return failure;
}

const FailureProperty* Failure::FindProperty(std::string_view name) const {
  const auto found = properties_.find(name);
  return found == properties_.end() ? nullptr : &found->second;
}

}  // namespace kel
