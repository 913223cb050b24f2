#include "api/api_description_block.h"

#include "api/invoke.h"

namespace kel {
namespace {

template <typename Record>
void ChainRecords(std::vector<Record>& records) {
  for (size_t i = 0; i + 1 < records.size(); ++i) records[i].next = &records[i + 1];
}

// The registered struct or enum name that a type (or its element) refers
// to, or the empty text.
const char* RegisteredTypeName(const BindingTypeId& type) {
  return type.info != nullptr ? type.info->name.c_str() : "";
}

}  // namespace

void ApiDescriptionBlock::DescribeFunction(const FunctionRecord& function, FunctionParts& parts,
                                           FunctionDescriptionRecord& record) {
  for (const FunctionParameter& parameter : function.parameters) {
    parts.arguments.push_back({nullptr, parameter.name.c_str(), parameter.description.c_str(),
                               static_cast<uint32_t>(parameter.type.type),
                               static_cast<uint32_t>(parameter.type.elementType), RegisteredTypeName(parameter.type),
                               parameter.optional ? uint8_t{1} : uint8_t{0}});
    parts.parameters.push_back({nullptr, static_cast<uint32_t>(parameter.location)});
  }
  ChainRecords(parts.arguments);
  ChainRecords(parts.parameters);
  for (const std::string& tag : function.tags) parts.tags.push_back(tag.c_str());
  for (const std::vector<std::string>& list : function.text_lists) {
    std::vector<const char*>& texts = parts.texts.emplace_back();
    for (const std::string& text : list) texts.push_back(text.c_str());
  }
  for (const std::vector<const char*>& texts : parts.texts) {
    parts.text_lists.push_back({nullptr, texts.data(), static_cast<uint32_t>(texts.size())});
  }
  ChainRecords(parts.text_lists);

  record = {};
  record.name = function.name.c_str();
  record.name_space = function.name_space.c_str();
  record.arguments = parts.arguments.empty() ? nullptr : parts.arguments.data();
  record.argument_count = static_cast<uint32_t>(parts.arguments.size());
  record.result_type = static_cast<uint32_t>(function.result_type.type);
  record.result_element_type = static_cast<uint32_t>(function.result_type.elementType);
  record.result_type_name = RegisteredTypeName(function.result_type);
  record.description = function.description.c_str();
  record.help = function.help.c_str();
  record.thread_safe = function.thread_safe ? 1 : 0;
  record.async_name = function.async_name.c_str();
  record.tags = parts.tags.data();
  record.tag_count = static_cast<uint32_t>(parts.tags.size());
}

void ApiDescriptionBlock::Build(const FunctionTable& functions) {
  lists_ = std::make_unique<BindingDescriptionLists>(functions.Registry());
  const size_t count = functions.Functions().size();
  contexts_.resize(count);
  parts_.resize(count);
  records_.resize(count);
  descriptors_.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const FunctionRecord& function = functions.Functions()[i];
    DescribeFunction(function, parts_[i], records_[i]);
    contexts_[i] = {&functions.Registry(), &function};
  }
  ChainRecords(records_);
  for (size_t i = 0; i < count; ++i) {
    const FunctionRecord& function = functions.Functions()[i];
    FunctionDescriptor& descriptor = descriptors_[i];
    descriptor.description = records_[i];
    descriptor.description.invoke_context = &contexts_[i];
    descriptor.invoke = &InvokeFunction;
    descriptor.parameters = parts_[i].parameters.empty() ? nullptr : parts_[i].parameters.data();
    descriptor.path_template = function.path_template.c_str();
    descriptor.method = static_cast<uint32_t>(function.method);
    descriptor.flags = function.flags;
    descriptor.text_lists = parts_[i].text_lists.empty() ? nullptr : parts_[i].text_lists.data();
    descriptor.text_list_count = static_cast<uint32_t>(parts_[i].text_lists.size());
    descriptor.custom_method = function.custom_method.c_str();
  }
  description_ = {descriptors_.empty() ? nullptr : descriptors_.data(),
                  static_cast<uint32_t>(descriptors_.size()),
                  lists_->Types(),
                  lists_->TypeCount(),
                  lists_->Events(),
                  lists_->EventCount()};
}

}  // namespace kel
