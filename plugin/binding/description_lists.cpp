#include "binding/description_lists.h"

#include "binding/binding_registry.h"

namespace kel {
namespace {

bool NamesItsType(BindingType type) {
  return type == BindingType::kVector || type == BindingType::kEnum || type == BindingType::kStruct ||
         type == BindingType::kMap;
}

// Links each record of one array to the next.
template <typename Record>
void Chain(std::vector<Record>& records) {
  for (std::size_t i = 0; i + 1 < records.size(); ++i) records[i].next = &records[i + 1];
}

}  // namespace

const char* BindingDescriptionLists::Own(std::string_view text) { return texts_.emplace_back(text).c_str(); }

const char* const* BindingDescriptionLists::OwnTags(const std::vector<std::string>& tags) {
  if (tags.empty()) return nullptr;
  std::vector<const char*>& array = tagArrays_.emplace_back();
  for (const std::string& tag : tags) array.push_back(Own(tag));
  return array.data();
}

BindingDescriptionLists::BindingDescriptionLists(const BindingRegistry& registry) {
  registry.ForEachType([this](const BindingTypeInfo& info) {
    BindingTypeRecord record{};
    record.name = Own(info.name);
    record.name_space = Own(info.nameSpace);
    record.size = info.size;
    record.description = Own(info.description);
    record.tags = OwnTags(info.tags);
    record.tag_count = static_cast<std::uint32_t>(info.tags.size());
    if (!info.fields.empty()) {
      std::vector<BindingFieldRecord>& fields = fieldArrays_.emplace_back();
      for (const auto& field : info.fields) {
        const BindingTypeId& type = field->declaredType.type != BindingType::kNone ? field->declaredType : field->type;
        BindingFieldRecord& out = fields.emplace_back();
        out.next = nullptr;
        out.name = Own(field->name);
        out.description = Own(field->description);
        out.offset = field->offset;
        out.type = static_cast<std::int32_t>(type.type);
        out.element_type = static_cast<std::int32_t>(type.elementType);
        out.type_name = Own(NamesItsType(type.type) && type.info != nullptr ? std::string_view(type.info->name) : "");
        out.optional = field->optional ? 1 : 0;
      }
      Chain(fields);
      record.fields = fields.data();
      record.member_count = static_cast<std::uint32_t>(fields.size());
    } else if (!info.enumerators.empty()) {
      std::vector<BindingEnumeratorRecord>& enumerators = enumeratorArrays_.emplace_back();
      for (const auto& [name, enumerator] : info.enumerators) {
        enumerators.push_back({nullptr, Own(name), Own(enumerator.description), enumerator.value});
      }
      Chain(enumerators);
      record.enumerators = enumerators.data();
      record.member_count = static_cast<std::uint32_t>(enumerators.size());
    }
    types_.push_back(record);
  });
  Chain(types_);

  registry.ForEachEvent([this](const BindingEventInfo& event) {
    BindingEventRecord record{};
    record.name = Own(event.name);
    record.name_space = Own(event.nameSpace);
    record.payload_type_name = Own(event.payload != nullptr ? std::string_view(event.payload->name) : "");
    record.description = Own(event.description);
    record.tags = OwnTags(event.tags);
    record.tag_count = static_cast<std::uint32_t>(event.tags.size());
    events_.push_back(record);
  });
  Chain(events_);
}

}  // namespace kel
