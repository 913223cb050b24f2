// The red-black tree that keeps a structure's members in unsigned byte order
// of their keys. Members are only ever inserted; they go when the whole
// structure is released.

#include <cstring>
#include <new>

#include "binding/binding_value_nodes.h"

namespace kel {

int CompareKeys(std::string_view a, std::string_view b) noexcept {
  std::size_t common = a.size() < b.size() ? a.size() : b.size();
  int order = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
  if (order != 0) return order;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

namespace {

// Compares the prefixes first: most keys of one structure differ within
// their first eight bytes, so few comparisons reach the bytes.
int CompareKey(std::string_view text, std::uint64_t order, const InternedString& key) noexcept {
  if (order != key.order) return order < key.order ? -1 : 1;
  return CompareKeys(text, key.View());
}

}  // namespace

const BindingMemberNode* BindingValueTreeOps::FirstMember(const StructureNode& structure) noexcept {
  const BindingMemberNode* node = structure.root;
  if (node == nullptr) return nullptr;
  while (node->left != nullptr) node = node->left;
  return node;
}

BindingMemberNode* BindingValueTreeOps::FindMember(const StructureNode& structure, std::string_view key) noexcept {
  BindingMemberNode* node = structure.root;
  const std::uint64_t prefix = OrderPrefix(key);
  while (node != nullptr) {
    int order = CompareKey(key, prefix, *node->key);
    if (order == 0) return node;
    node = order < 0 ? node->left : node->right;
  }
  return nullptr;
}

BindingMemberNode* BindingValueTreeOps::FindOrInsertMember(BindingValue& value, std::string_view text,
                                                           InternedString* key) {
  StructureNode& structure = *NodeAs<StructureNode>(value);
  BindingMemberNode* parent = nullptr;
  BindingMemberNode** link = &structure.root;
  const std::uint64_t prefix = OrderPrefix(text);
  while (*link != nullptr) {
    int order = CompareKey(text, prefix, *(*link)->key);
    if (order == 0) return *link;
    parent = *link;
    link = order < 0 ? &parent->left : &parent->right;
  }
  BindingValueContext& context = *value.context_;
  if (key != nullptr)
    StringPool::AddReference(key);
  else
    key = context.strings.Intern(text);
  BindingMemberNode* node;
  try {
    node = NewNode<BindingMemberNode>(context);
  } catch (...) {
    context.strings.Release(key);
    throw;
  }
  node->left = node->right = nullptr;
  node->parent = parent;
  node->key = key;
  ConstructChild(&node->value, &context);
  node->red = true;
  *link = node;
  ++structure.count;
  InsertFixup(structure, node);
  return node;
}

void BindingValueTreeOps::RotateLeft(StructureNode& structure, BindingMemberNode* node) noexcept {
  BindingMemberNode* pivot = node->right;
  node->right = pivot->left;
  if (pivot->left != nullptr) pivot->left->parent = node;
  pivot->parent = node->parent;
  if (node->parent == nullptr)
    structure.root = pivot;
  else if (node == node->parent->left)
    node->parent->left = pivot;
  else
    node->parent->right = pivot;
  pivot->left = node;
  node->parent = pivot;
}

void BindingValueTreeOps::RotateRight(StructureNode& structure, BindingMemberNode* node) noexcept {
  BindingMemberNode* pivot = node->left;
  node->left = pivot->right;
  if (pivot->right != nullptr) pivot->right->parent = node;
  pivot->parent = node->parent;
  if (node->parent == nullptr)
    structure.root = pivot;
  else if (node == node->parent->right)
    node->parent->right = pivot;
  else
    node->parent->left = pivot;
  pivot->right = node;
  node->parent = pivot;
}

void BindingValueTreeOps::InsertFixup(StructureNode& structure, BindingMemberNode* node) noexcept {
  while (node->parent != nullptr && node->parent->red) {
    BindingMemberNode* parent = node->parent;
    BindingMemberNode* grandparent = parent->parent;
    if (parent == grandparent->left) {
      BindingMemberNode* uncle = grandparent->right;
      if (uncle != nullptr && uncle->red) {
        parent->red = uncle->red = false;
        grandparent->red = true;
        node = grandparent;
        continue;
      }
      if (node == parent->right) {
        RotateLeft(structure, parent);
        node = parent;
        parent = node->parent;
      }
      parent->red = false;
      grandparent->red = true;
      RotateRight(structure, grandparent);
    } else {
      BindingMemberNode* uncle = grandparent->left;
      if (uncle != nullptr && uncle->red) {
        parent->red = uncle->red = false;
        grandparent->red = true;
        node = grandparent;
        continue;
      }
      if (node == parent->left) {
        RotateRight(structure, parent);
        node = parent;
        parent = node->parent;
      }
      parent->red = false;
      grandparent->red = true;
      RotateLeft(structure, grandparent);
    }
  }
  structure.root->red = false;
}

}  // namespace kel
