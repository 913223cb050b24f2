#include "serialization/yaml_reader.h"

#include <yaml.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "binding/fnv1a.h"
#include "diagnostics/positional_format.h"
#include "serialization/input_limits.h"
#include "serialization/yaml_scalar.h"

namespace kel {

namespace {

// Aliases copy their anchor's value, so a few lines of nested aliases could
// otherwise expand into billions of values. This bounds the values that all
// aliases of one document may add.
constexpr size_t kMaxAliasCopiedValues = size_t{1} << 18;

struct AnchorHash {
  size_t operator()(const std::string& name) const { return Fnv1a32(name); }
};

// An anchored value: recorded when it is finished, and open (not yet
// recorded) while its container is still being read.
struct Anchor {
  BindingValue value;
  bool open = true;
  size_t value_count = 0;  // values in the recorded tree, itself included
  unsigned depth = 0;      // container levels in the recorded tree
};

struct OpenContainer {
  BindingValue* value;
  bool is_sequence;
  Anchor* anchor;  // null when the container has no anchor
};

// Counts the values of a finished tree and its container depth.
void Measure(const BindingValue& value, size_t& count, unsigned& depth, unsigned level = 0) {
  ++count;
  const bool is_container =
      value.Kind() == BindingValueKind::kCollection || value.Kind() == BindingValueKind::kStructure;
  if (!is_container) return;
  if (level + 1 > depth) depth = level + 1;
  if (value.Kind() == BindingValueKind::kCollection) {
    for (const BindingValue& element : value.Elements()) Measure(element, count, depth, level + 1);
  } else {
    for (const auto [key, member] : value.Members()) Measure(member, count, depth, level + 1);
  }
}

// libyaml's parser and events, released however the parse ends (memory
// running out while building the tree throws).
struct YamlParser {
  YamlParser() : initialized(yaml_parser_initialize(&parser) != 0) {}
  ~YamlParser() {
    if (initialized) yaml_parser_delete(&parser);
  }
  yaml_parser_t parser;
  bool initialized;
};

struct YamlEvent {
  ~YamlEvent() {
    if (parsed) yaml_event_delete(&event);
  }
  yaml_event_t event;
  bool parsed = false;
};

class YamlTreeBuilder {
 public:
  explicit YamlTreeBuilder(BindingResult& result) : result_(result) { open_.reserve(16); }

  void Handle(const yaml_event_t& event);

 private:
  bool WaitingForKey() const { return !open_.empty() && !open_.back().is_sequence && pending_member_ == nullptr; }
  BindingValue* Target(const yaml_mark_t& mark);
  void Fail(std::string message) { result_.Fail(message); }
  void FailAt(const char* format, const yaml_mark_t& mark) {
    Fail(FormatMessage(format, mark.line + 1, mark.column + 1));
  }
  void FailLimit(const char* limit_text, const yaml_mark_t& mark) {
    Fail(FormatMessage("%1 At line: %2 col: %3", limit_text, mark.line + 1, mark.column + 1));
  }
  void FailNamed(const char* format, const char* name, const yaml_mark_t& mark) {
    Fail(FormatMessage(format, name, mark.line + 1, mark.column + 1));
  }
  Anchor* AddAnchor(const yaml_char_t* name, const yaml_mark_t& mark);
  void Scalar(const yaml_event_t& event);
  void StartContainer(const yaml_event_t& event, bool is_sequence);
  void EndContainer();
  void Alias(const yaml_event_t& event);

  BindingResult& result_;
  std::vector<OpenContainer> open_;
  // The member under the key just read, made when the key arrives so that
  // the key is interned straight from its event instead of being copied.
  BindingValue* pending_member_ = nullptr;
  std::unordered_map<std::string, Anchor, AnchorHash> anchors_;
  size_t alias_copied_values_ = 0;
};

// Inside a sequence every node is a new element; inside a mapping, the
// member under the key just read; at the top, the root. Null (and the parse
// failed) when the sequence is full.
BindingValue* YamlTreeBuilder::Target(const yaml_mark_t& mark) {
  if (open_.empty()) return &result_.Value();
  OpenContainer& top = open_.back();
  if (!top.is_sequence) {
    BindingValue* member = pending_member_;
    pending_member_ = nullptr;
    return member;
  }
  if (top.value->Size() >= kMaxCollectionSize) {
    FailLimit(kCollectionLimitText, mark);
    return nullptr;
  }
  return &top.value->Append();
}

Anchor* YamlTreeBuilder::AddAnchor(const yaml_char_t* name, const yaml_mark_t& mark) {
  const char* text = reinterpret_cast<const char*>(name);
  auto [it, inserted] = anchors_.try_emplace(text);
  if (!inserted) {
    FailNamed("Duplicate occurrence of anchor \"%1\". At line: %2 col: %3", text, mark);
    return nullptr;
  }
  return &it->second;
}

void YamlTreeBuilder::Scalar(const yaml_event_t& event) {
  const auto& s = event.data.scalar;
  const char* text = reinterpret_cast<const char*>(s.value);
  const char* tag = reinterpret_cast<const char*>(s.tag);
  if (WaitingForKey()) {
    if (tag && std::string_view(tag) != "tag:yaml.org,2002:str") {
      FailAt("Invalid mapping key. Only string scalar keys are allowed. At line: %1 col: %2", event.start_mark);
      return;
    }
    // Keys are texts: one ends at its first NUL. A repeated key starts its
    // member afresh: the last value wins whole.
    const void* nul = std::memchr(text, 0, s.length);
    const size_t key_length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : s.length;
    pending_member_ = &open_.back().value->Member(std::string_view(text, key_length));
    pending_member_->Clear();
    return;
  }
  BindingValue* target = Target(event.start_mark);
  if (target == nullptr) return;
  const bool quoted = s.style == YAML_SINGLE_QUOTED_SCALAR_STYLE || s.style == YAML_DOUBLE_QUOTED_SCALAR_STYLE;
  ResolveYamlScalar(result_, *target, tag, text, s.length, quoted);
  if (!result_.Ok() || !s.anchor) return;
  if (Anchor* anchor = AddAnchor(s.anchor, event.start_mark)) {
    anchor->value = *target;
    anchor->open = false;
    anchor->value_count = 1;
  }
}

void YamlTreeBuilder::StartContainer(const yaml_event_t& event, bool is_sequence) {
  if (WaitingForKey()) {
    FailAt(is_sequence ? "Unexpected start of sequence. At line: %1 col: %2"
                       : "Unexpected start of mapping. At line: %1 col: %2",
           event.start_mark);
    return;
  }
  if (open_.size() >= kMaxNestingDepth) {
    FailLimit(kNestingLimitText, event.start_mark);
    return;
  }
  const yaml_char_t* anchor_name = is_sequence ? event.data.sequence_start.anchor : event.data.mapping_start.anchor;
  Anchor* anchor = nullptr;
  if (anchor_name && !(anchor = AddAnchor(anchor_name, event.start_mark))) return;
  BindingValue* target = Target(event.start_mark);
  if (target == nullptr) return;
  if (is_sequence) {
    target->MakeCollection();
  } else {
    target->MakeStructure();
  }
  open_.push_back({target, is_sequence, anchor});
}

void YamlTreeBuilder::EndContainer() {
  const OpenContainer closed = open_.back();
  open_.pop_back();
  if (!closed.anchor) return;
  closed.anchor->value = *closed.value;
  closed.anchor->open = false;
  Measure(closed.anchor->value, closed.anchor->value_count, closed.anchor->depth);
}

void YamlTreeBuilder::Alias(const yaml_event_t& event) {
  const char* name = reinterpret_cast<const char*>(event.data.alias.anchor);
  // An alias cannot name a mapping key: copying its value there would
  // replace the mapping being read.
  if (WaitingForKey()) {
    FailAt("Invalid mapping key. Only string scalar keys are allowed. At line: %1 col: %2", event.start_mark);
    return;
  }
  const auto it = anchors_.find(name);
  if (it == anchors_.end()) {
    FailNamed("Undefined alias encountered: \"%1\". At line: %2 col: %3", name, event.start_mark);
    return;
  }
  const Anchor& anchor = it->second;
  if (anchor.open) {
    FailNamed("Cannot deserialize cyclic aliases. Alias \"%1\". At line: %2 col: %3", name, event.start_mark);
    return;
  }
  if (open_.size() + anchor.depth > kMaxNestingDepth) {
    FailLimit(kNestingLimitText, event.start_mark);
    return;
  }
  alias_copied_values_ += anchor.value_count;
  if (alias_copied_values_ > kMaxAliasCopiedValues) {
    Fail(FormatMessage("Aliases copy more than %1 values. Alias \"%2\". At line: %3 col: %4", kMaxAliasCopiedValues,
                       name, event.start_mark.line + 1, event.start_mark.column + 1));
    return;
  }
  if (BindingValue* target = Target(event.start_mark)) *target = anchor.value;
}

void YamlTreeBuilder::Handle(const yaml_event_t& event) {
  switch (event.type) {
    case YAML_DOCUMENT_START_EVENT:
      if (!result_.Value().IsEmpty()) Fail("Multi-document YAML is not supported.");
      break;
    case YAML_SCALAR_EVENT: Scalar(event); break;
    case YAML_SEQUENCE_START_EVENT: StartContainer(event, true); break;
    case YAML_MAPPING_START_EVENT: StartContainer(event, false); break;
    case YAML_SEQUENCE_END_EVENT:
    case YAML_MAPPING_END_EVENT: EndContainer(); break;
    case YAML_ALIAS_EVENT: Alias(event); break;
    default: break;  // stream start and end, document end
  }
}

}  // namespace

BindingResult ParseYaml(const char* text, size_t length) {
  BindingResult result;
  if (length == 0) return result;
  YamlParser parser;
  if (!parser.initialized) {
    result.Fail("YAML parser error: out of memory. At line: 0 col: 0");
    return result;
  }
  yaml_parser_set_encoding(&parser.parser, YAML_UTF8_ENCODING);
  yaml_parser_set_input_string(&parser.parser, reinterpret_cast<const unsigned char*>(text), length);
  ReserveTextsFor(result.Value(), length);
  YamlTreeBuilder builder(result);
  bool stream_ended = false;
  while (result.Ok() && !stream_ended) {
    YamlEvent event;
    if (!yaml_parser_parse(&parser.parser, &event.event)) break;
    event.parsed = true;
    stream_ended = event.event.type == YAML_STREAM_END_EVENT;
    builder.Handle(event.event);
  }
  const yaml_parser_t& p = parser.parser;
  if (result.Ok() && p.error != YAML_NO_ERROR) {
    result.Fail(FormatMessage("YAML parser error: %1. At line: %2 col: %3", p.problem ? p.problem : "unknown problem",
                              p.problem_mark.line, p.problem_mark.column));
  }
  return result;
}

}  // namespace kel
