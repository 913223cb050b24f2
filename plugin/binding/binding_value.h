#pragma once
// BindingValue: the dynamic value that every request argument, response,
// event payload and remote message passes through on its way between native
// records and text, MessagePack, YAML or the core's HostValue.
//
// A tree of values shares one BindingValueContext (interned strings and a
// small-object pool) owned by its root. A tree is used by one thread at a
// time; independent trees may live on different threads at once.
//
// Deep trees: clearing and copying walk the tree with an explicit work list,
// never by recursion, so any depth a caller can build is safe.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "binding/string_pool.h"

namespace kel {

struct StaticTypeId;
class BindingValueContext;
struct BindingMemberNode;

enum class BindingValueKind : std::uint8_t {
  kEmpty = 0,
  kBool = 1,
  kSigned = 2,
  kUnsigned = 3,
  kFloat = 4,
  kString = 5,
  kBlob = 6,
  kEnum = 7,
  kCollection = 8,
  kStructure = 9,
};

// "empty", "bool", ... "structure"; the empty text for codes outside 0..9.
std::string_view BindingValueKindName(BindingValueKind kind) noexcept;

struct BindingEnum {
  std::int32_t value = 0;
  const StaticTypeId* type = nullptr;
};

// Collections never hold more elements than this.
inline constexpr std::size_t kMaxCollectionSize = 0x0FFFFFFF;

template <bool kConst>
class BindingMemberIterator;

class BindingValue {
 public:
  using MemberIterator = BindingMemberIterator<false>;
  using ConstMemberIterator = BindingMemberIterator<true>;
  template <typename Iterator>
  struct Range {
    Iterator first;
    Iterator last;
    Iterator begin() const { return first; }
    Iterator end() const { return last; }
  };

  // A new root: empty, no context yet, owns the context it will create.
  BindingValue() noexcept = default;
  ~BindingValue();
  // A new root holding a deep copy.
  BindingValue(const BindingValue& other);
  // A new root; takes the other root's tree by swap, or copies a non-root.
  BindingValue(BindingValue&& other) noexcept;
  BindingValue& operator=(const BindingValue& other);
  // Swaps when both are roots, otherwise copies; the source ends empty.
  BindingValue& operator=(BindingValue&& other) noexcept;

  BindingValueKind Kind() const noexcept { return kind_; }
  bool IsEmpty() const noexcept { return kind_ == BindingValueKind::kEmpty; }
  bool IsCollection() const noexcept { return kind_ == BindingValueKind::kCollection; }
  bool IsStructure() const noexcept { return kind_ == BindingValueKind::kStructure; }

  // Releases what the value holds (its whole subtree) and makes it empty.
  void Clear() noexcept;

  // Setters; each first clears the value. Strings are interned into the
  // tree's pool. Throw std::bad_alloc only when memory runs out.
  void SetBool(bool value) noexcept;
  void SetSigned(std::int64_t value) noexcept;
  void SetUnsigned(std::uint64_t value) noexcept;
  void SetDouble(double value) noexcept;
  void SetString(std::string_view text);
  void SetString(const char* text);  // null is the empty text
  void SetBlob(const void* data, std::size_t size);
  void SetEnum(std::int32_t value, const StaticTypeId* type);
  // Leave an existing collection or structure as it is.
  void MakeCollection();
  void MakeStructure();

  // Strict getters: the stored payload when the kind matches, else the
  // default. Strings are NUL-terminated at data()[size()].
  bool GetBool(bool fallback = false) const noexcept;
  std::int64_t GetSigned(std::int64_t fallback = 0) const noexcept;
  std::uint64_t GetUnsigned(std::uint64_t fallback = 0) const noexcept;
  double GetDouble(double fallback = 0.0) const noexcept;
  // Inline, like the member walk: a writer reads every text of a tree.
  std::string_view GetString(std::string_view fallback = {}) const noexcept {
    return kind_ == BindingValueKind::kString ? static_cast<const InternedString*>(payload_.node)->View() : fallback;
  }
  std::span<const std::uint8_t> GetBlob(std::span<const std::uint8_t> fallback = {}) const noexcept;
  BindingEnum GetEnum(BindingEnum fallback = {}) const noexcept;

  // Lenient readings that never fail.
  std::int64_t AsSigned(std::int64_t fallback = 0) const noexcept;
  std::uint64_t AsUnsigned(std::uint64_t fallback = 0) const noexcept;
  std::string AsText() const;

  // Empty 0; string bytes; blob bytes; elements; members; other kinds 1.
  std::size_t Size() const noexcept;

  // Collections. Index turns the value into a collection when it is not one
  // and appends empty elements until i exists. Element references stay valid
  // until the collection grows.
  BindingValue& Index(std::size_t i);
  BindingValue& Append();
  // Grows the capacity of a collection; false (nothing changed) when the
  // value is not a collection, n exceeds kMaxCollectionSize or memory is out.
  bool Reserve(std::size_t n) noexcept;
  // Readies the tree's string pool for `count` distinct texts, so that a
  // reader that knows the size of its input grows the pool once; without
  // memory for it the pool grows as texts arrive.
  void ReserveTexts(std::size_t count) noexcept;
  // Element i, or the shared empty value; never changes the value.
  const BindingValue& Get(std::size_t i) const noexcept;
  std::span<BindingValue> Elements() noexcept;
  std::span<const BindingValue> Elements() const noexcept;

  // Structures, kept in unsigned byte order of the keys. Member turns the
  // value into a structure when it is not one and inserts an empty member
  // when the key is missing. Member references stay valid until the member
  // or the structure goes.
  BindingValue& Member(std::string_view key);
  BindingValue& Member(const char* key) { return Member(std::string_view(key)); }
  // The member, or the shared empty value; never changes the value.
  const BindingValue& Find(std::string_view key) const noexcept;
  const BindingValue& Find(const char* key) const noexcept { return Find(std::string_view(key)); }
  Range<MemberIterator> Members() noexcept;
  Range<ConstMemberIterator> Members() const noexcept;

  // Asks the processor for the part of a text or container kept out of
  // line, ahead of reading it (a writer walking a tree that no longer fits
  // the caches waits on these loads); changes nothing.
  void Prefetch() const noexcept {
    if (kind_ == BindingValueKind::kString || kind_ == BindingValueKind::kCollection ||
        kind_ == BindingValueKind::kStructure)
      __builtin_prefetch(payload_.node);
  }

  // The read-only value returned for missing elements and members.
  static const BindingValue& EmptyValue() noexcept;

  // The tree's context, null until something needed it (for tests and the
  // benchmarks' memory accounting).
  const BindingValueContext* Context() const noexcept { return context_; }

 private:
  friend class BindingValueTreeOps;
  friend struct BindingMemberNode;

  union Payload {
    bool boolean;
    std::int64_t signedValue;
    std::uint64_t unsignedValue;
    double floatValue;
    void* node;
  };

  BindingValueContext& EnsureContext();
  void CopyFrom(const BindingValue& other);

  Payload payload_ = {};
  BindingValueContext* context_ = nullptr;
  BindingValueKind kind_ = BindingValueKind::kEmpty;
  bool ownsContext_ = true;
};

// A node of a structure's red-black tree.
struct BindingMemberNode {
  BindingMemberNode* left;
  BindingMemberNode* right;
  BindingMemberNode* parent;
  InternedString* key;
  BindingValue value;
  bool red;

  std::string_view Key() const noexcept { return key->View(); }
  // In key order; null after the last. Inline: a writer walking a whole tree
  // calls it once per member.
  const BindingMemberNode* Next() const noexcept {
    const BindingMemberNode* node = this;
    if (node->right != nullptr) {
      node = node->right;
      while (node->left != nullptr) node = node->left;
      return node;
    }
    while (node->parent != nullptr && node == node->parent->right) node = node->parent;
    return node->parent;
  }
};

// Iterates a structure's members in key order: for (auto [key, value] : v.Members()).
template <bool kConst>
class BindingMemberIterator {
 public:
  using ValueReference = std::conditional_t<kConst, const BindingValue&, BindingValue&>;
  struct Member {
    std::string_view key;
    ValueReference value;
  };

  BindingMemberIterator() noexcept = default;
  explicit BindingMemberIterator(const BindingMemberNode* node) noexcept : node_(node) {}

  Member operator*() const noexcept { return {node_->Key(), const_cast<ValueReference>(node_->value)}; }
  BindingMemberIterator& operator++() noexcept {
    node_ = node_->Next();
    return *this;
  }
  bool operator==(const BindingMemberIterator& other) const noexcept = default;
  // Prefetches the member's key text and its value (see BindingValue::Prefetch).
  void Prefetch() const noexcept {
    __builtin_prefetch(node_->key);
    node_->value.Prefetch();
  }

 private:
  const BindingMemberNode* node_ = nullptr;
};

}  // namespace kel
