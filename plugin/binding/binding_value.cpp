#include "binding/binding_value.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "binding/binding_value_nodes.h"

namespace kel {
namespace {

using Ops = BindingValueTreeOps;

bool IsComposite(BindingValueKind kind) noexcept {
  return kind == BindingValueKind::kCollection || kind == BindingValueKind::kStructure;
}

}  // namespace

std::string_view BindingValueKindName(BindingValueKind kind) noexcept {
  static constexpr std::string_view kNames[] = {"empty",  "bool", "signed", "unsigned",   "float",
                                                "string", "blob", "enum",   "collection", "structure"};
  auto code = static_cast<std::size_t>(kind);
  return code < std::size(kNames) ? kNames[code] : std::string_view();
}

// A root takes its whole tree down with its context (pages, strings and
// heap blocks at once) instead of freeing node by node.
BindingValue::~BindingValue() {
  if (ownsContext_)
    delete context_;
  else
    Clear();
}

BindingValue::BindingValue(const BindingValue& other) { Ops::CopyTree(*this, other); }

BindingValue::BindingValue(BindingValue&& other) noexcept { *this = std::move(other); }

// A source in the same tree may sit inside the target (or the target inside
// the source); such copies go through a tree of their own first so that
// clearing the target never pulls the source away.
void BindingValue::CopyFrom(const BindingValue& other) {
  bool sameTree = context_ != nullptr && context_ == other.context_;
  if (sameTree && (IsComposite(kind_) || IsComposite(other.kind_))) {
    BindingValue staging(other);
    Clear();
    Ops::CopyTree(*this, staging);
    return;
  }
  Clear();
  Ops::CopyTree(*this, other);
}

BindingValue& BindingValue::operator=(const BindingValue& other) {
  if (this != &other) CopyFrom(other);
  return *this;
}

BindingValue& BindingValue::operator=(BindingValue&& other) noexcept {
  if (this == &other) return *this;
  if (ownsContext_ && other.ownsContext_) {
    std::swap(payload_, other.payload_);
    std::swap(context_, other.context_);
    std::swap(kind_, other.kind_);
    other.Clear();
    return *this;
  }
  bool sameTree = context_ != nullptr && context_ == other.context_;
  if (sameTree && (IsComposite(kind_) || IsComposite(other.kind_))) {
    BindingValue staging(other);
    other.Clear();
    Clear();
    Ops::CopyTree(*this, staging);
    return *this;
  }
  CopyFrom(other);
  other.Clear();
  return *this;
}

BindingValueContext& BindingValue::EnsureContext() {
  if (context_ == nullptr) context_ = new BindingValueContext();
  return *context_;
}

void BindingValue::Clear() noexcept {
  if (kind_ < BindingValueKind::kString)
    kind_ = BindingValueKind::kEmpty;
  else
    Ops::Release(*this);
}

void BindingValue::SetBool(bool value) noexcept {
  Clear();
  payload_.boolean = value;
  kind_ = BindingValueKind::kBool;
}

void BindingValue::SetSigned(std::int64_t value) noexcept {
  Clear();
  payload_.signedValue = value;
  kind_ = BindingValueKind::kSigned;
}

void BindingValue::SetUnsigned(std::uint64_t value) noexcept {
  Clear();
  payload_.unsignedValue = value;
  kind_ = BindingValueKind::kUnsigned;
}

void BindingValue::SetDouble(double value) noexcept {
  Clear();
  payload_.floatValue = value;
  kind_ = BindingValueKind::kFloat;
}

void BindingValue::SetString(std::string_view text) {
  Clear();
  InternedString* entry = text.empty() ? StringPool::EmptyEntry() : EnsureContext().strings.InternValue(text);
  Ops::SetNode(*this, BindingValueKind::kString, entry);
}

void BindingValue::SetString(const char* text) {
  SetString(text == nullptr ? std::string_view() : std::string_view(text));
}

void BindingValue::SetBlob(const void* data, std::size_t size) {
  Clear();
  BindingValueContext& context = EnsureContext();
  std::uint8_t* bytes = nullptr;
  if (size != 0) {
    bytes = static_cast<std::uint8_t*>(context.heap.Allocate(size));
    if (bytes == nullptr) throw std::bad_alloc();
    std::memcpy(bytes, data, size);
  }
  BlobNode* blob;
  try {
    blob = Ops::NewNode<BlobNode>(context);
  } catch (...) {
    context.heap.Free(bytes);
    throw;
  }
  *blob = {bytes, size, size};
  Ops::SetNode(*this, BindingValueKind::kBlob, blob);
}

void BindingValue::SetEnum(std::int32_t value, const StaticTypeId* type) {
  Clear();
  EnumNode* pair = Ops::NewNode<EnumNode>(EnsureContext());
  *pair = {value, type};
  Ops::SetNode(*this, BindingValueKind::kEnum, pair);
}

void BindingValue::MakeCollection() {
  if (kind_ == BindingValueKind::kCollection) return;
  Clear();
  CollectionNode* collection = Ops::NewNode<CollectionNode>(EnsureContext());
  *collection = {nullptr, nullptr, nullptr};
  Ops::SetNode(*this, BindingValueKind::kCollection, collection);
}

void BindingValue::MakeStructure() {
  if (kind_ == BindingValueKind::kStructure) return;
  Clear();
  StructureNode* structure = Ops::NewNode<StructureNode>(EnsureContext());
  *structure = {nullptr, 0};
  Ops::SetNode(*this, BindingValueKind::kStructure, structure);
}

bool BindingValue::GetBool(bool fallback) const noexcept {
  return kind_ == BindingValueKind::kBool ? payload_.boolean : fallback;
}

std::int64_t BindingValue::GetSigned(std::int64_t fallback) const noexcept {
  return kind_ == BindingValueKind::kSigned ? payload_.signedValue : fallback;
}

std::uint64_t BindingValue::GetUnsigned(std::uint64_t fallback) const noexcept {
  return kind_ == BindingValueKind::kUnsigned ? payload_.unsignedValue : fallback;
}

double BindingValue::GetDouble(double fallback) const noexcept {
  return kind_ == BindingValueKind::kFloat ? payload_.floatValue : fallback;
}

std::span<const std::uint8_t> BindingValue::GetBlob(std::span<const std::uint8_t> fallback) const noexcept {
  if (kind_ != BindingValueKind::kBlob) return fallback;
  const BlobNode& blob = *Ops::NodeAs<BlobNode>(*this);
  return {blob.data, blob.size};
}

BindingEnum BindingValue::GetEnum(BindingEnum fallback) const noexcept {
  if (kind_ != BindingValueKind::kEnum) return fallback;
  const EnumNode& pair = *Ops::NodeAs<EnumNode>(*this);
  return {pair.value, pair.type};
}

std::size_t BindingValue::Size() const noexcept {
  switch (kind_) {
    case BindingValueKind::kEmpty: return 0;
    case BindingValueKind::kString: return Ops::NodeAs<InternedString>(*this)->length;
    case BindingValueKind::kBlob: return Ops::NodeAs<BlobNode>(*this)->size;
    case BindingValueKind::kCollection: {
      const CollectionNode& collection = *Ops::NodeAs<CollectionNode>(*this);
      return static_cast<std::size_t>(collection.end - collection.begin);
    }
    case BindingValueKind::kStructure: return Ops::NodeAs<StructureNode>(*this)->count;
    default: return 1;
  }
}

BindingValue& BindingValue::Index(std::size_t i) {
  MakeCollection();
  CollectionNode& collection = *Ops::NodeAs<CollectionNode>(*this);
  std::size_t size = static_cast<std::size_t>(collection.end - collection.begin);
  if (i < size) return collection.begin[i];
  if (i >= kMaxCollectionSize) throw std::length_error("collection too long");
  std::size_t capacity = static_cast<std::size_t>(collection.capacity - collection.begin);
  if (i >= capacity) {
    // Two first: short collections then fit a pool block.
    std::size_t grown = capacity < 2 ? 2 : capacity * 2;
    if (grown > kMaxCollectionSize) grown = kMaxCollectionSize;
    if (grown <= i) grown = i + 1;
    if (!Ops::GrowCollection(*this, grown)) throw std::bad_alloc();
  }
  while (collection.end <= collection.begin + i) {
    Ops::ConstructChild(collection.end, context_);
    ++collection.end;
  }
  return collection.begin[i];
}

BindingValue& BindingValue::Append() { return Index(IsCollection() ? Size() : 0); }

bool BindingValue::Reserve(std::size_t n) noexcept {
  return kind_ == BindingValueKind::kCollection && Ops::GrowCollection(*this, n);
}

void BindingValue::ReserveTexts(std::size_t count) noexcept {
  try {
    EnsureContext().strings.Reserve(count);
  } catch (const std::bad_alloc&) {
  }
}

const BindingValue& BindingValue::Get(std::size_t i) const noexcept {
  if (kind_ != BindingValueKind::kCollection) return EmptyValue();
  const CollectionNode& collection = *Ops::NodeAs<CollectionNode>(*this);
  return i < static_cast<std::size_t>(collection.end - collection.begin) ? collection.begin[i] : EmptyValue();
}

std::span<BindingValue> BindingValue::Elements() noexcept {
  if (kind_ != BindingValueKind::kCollection) return {};
  CollectionNode& collection = *Ops::NodeAs<CollectionNode>(*this);
  return {collection.begin, collection.end};
}

std::span<const BindingValue> BindingValue::Elements() const noexcept {
  if (kind_ != BindingValueKind::kCollection) return {};
  const CollectionNode& collection = *Ops::NodeAs<CollectionNode>(*this);
  return {collection.begin, collection.end};
}

BindingValue& BindingValue::Member(std::string_view key) {
  MakeStructure();
  return Ops::FindOrInsertMember(*this, key, nullptr)->value;
}

const BindingValue& BindingValue::Find(std::string_view key) const noexcept {
  if (kind_ != BindingValueKind::kStructure) return EmptyValue();
  const BindingMemberNode* member = Ops::FindMember(*Ops::NodeAs<StructureNode>(*this), key);
  return member != nullptr ? member->value : EmptyValue();
}

BindingValue::Range<BindingValue::MemberIterator> BindingValue::Members() noexcept {
  if (kind_ != BindingValueKind::kStructure) return {};
  return {MemberIterator(Ops::FirstMember(*Ops::NodeAs<StructureNode>(*this))), MemberIterator()};
}

BindingValue::Range<BindingValue::ConstMemberIterator> BindingValue::Members() const noexcept {
  if (kind_ != BindingValueKind::kStructure) return {};
  return {ConstMemberIterator(Ops::FirstMember(*Ops::NodeAs<StructureNode>(*this))), ConstMemberIterator()};
}

const BindingValue& BindingValue::EmptyValue() noexcept {
  static const BindingValue empty;
  return empty;
}

}  // namespace kel
