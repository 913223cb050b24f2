#pragma once
// The out-of-line nodes behind binding values of kinds string to structure,
// and the tree operations shared by the value's translation units. Internal
// to the binding subsystem.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "binding/binding_value.h"
#include "binding/binding_value_context.h"

namespace kel {

struct BlobNode {
  std::uint8_t* data;
  std::size_t size;
  std::size_t capacity;
};

struct EnumNode {
  std::int32_t value;
  const StaticTypeId* type;
};

struct CollectionNode {
  BindingValue* begin;
  BindingValue* end;
  BindingValue* capacity;
};

struct StructureNode {
  BindingMemberNode* root;
  std::size_t count;
};

// Unsigned byte order, shorter first on a common prefix.
int CompareKeys(std::string_view a, std::string_view b) noexcept;

class BindingValueTreeOps {
 public:
  template <typename Node>
  static Node* NewNode(BindingValueContext& context) {
    static_assert(sizeof(Node) % alignof(Node) == 0 && sizeof(Node) <= SmallObjectAllocator::kMaxBlockSize);
    return static_cast<Node*>(context.blocks.Allocate(sizeof(Node)));
  }
  template <typename Node>
  static void DeleteNode(BindingValueContext& context, Node* node) noexcept {
    context.blocks.Free(node, sizeof(Node));
  }

  static void* Node(const BindingValue& value) noexcept { return value.payload_.node; }
  template <typename Node>
  static Node* NodeAs(const BindingValue& value) noexcept {
    return static_cast<Node*>(value.payload_.node);
  }
  static void SetNode(BindingValue& value, BindingValueKind kind, void* node) noexcept {
    value.payload_.node = node;
    value.kind_ = kind;
  }
  static BindingValueContext* Context(const BindingValue& value) noexcept { return value.context_; }

  // Makes raw storage an empty child value of the given tree.
  static void ConstructChild(void* storage, BindingValueContext* context) noexcept;

  // Releases a value's payload (the whole subtree) without recursion; the
  // value is left with kind empty.
  static void Release(BindingValue& value) noexcept;

  // Deep copy into a cleared target that is not part of the source.
  static void CopyTree(BindingValue& target, const BindingValue& source);

  // Grows a collection's storage to at least n elements; false when n is
  // beyond the limit or memory is out.
  static bool GrowCollection(BindingValue& collection, std::size_t n) noexcept;
  static void FreeElements(BindingValueContext& context, CollectionNode& collection) noexcept;

  // Structure members.
  static BindingMemberNode* FindMember(const StructureNode& structure, std::string_view key) noexcept;
  // key: an interned entry of the structure's own context to share, or null
  // to intern `text`.
  static BindingMemberNode* FindOrInsertMember(BindingValue& structure, std::string_view text, InternedString* key);
  static const BindingMemberNode* FirstMember(const StructureNode& structure) noexcept;

 private:
  // An entry of the source's pool as an entry of the target's, referenced.
  struct KeyMap;
  template <typename PushValue>
  static void CloneMembers(BindingValue& target, const BindingValue& source, const KeyMap& keys, PushValue pushValue);
  static void InsertFixup(StructureNode& structure, BindingMemberNode* node) noexcept;
  static void RotateLeft(StructureNode& structure, BindingMemberNode* node) noexcept;
  static void RotateRight(StructureNode& structure, BindingMemberNode* node) noexcept;
};

}  // namespace kel
