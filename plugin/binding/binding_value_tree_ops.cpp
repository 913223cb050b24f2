// Releasing and copying whole value trees. Both walk the tree with an
// explicit work list so that no nesting depth can exhaust the thread's stack.

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "binding/binding_value_nodes.h"
#include "binding/work_stack.h"

namespace kel {
namespace {

bool IsComposite(BindingValueKind kind) noexcept {
  return kind == BindingValueKind::kCollection || kind == BindingValueKind::kStructure;
}

struct PendingRelease {
  BindingValueKind kind;
  void* node;
};

}  // namespace

void BindingValueTreeOps::ConstructChild(void* storage, BindingValueContext* context) noexcept {
  BindingValue* child = new (storage) BindingValue();
  child->context_ = context;
  child->ownsContext_ = false;
}

// Frees a leaf payload at once; composites are queued so that their children
// are visited by the loop rather than by recursion.
static void ReleaseOrQueue(BindingValueContext& context, BindingValueKind kind, void* node,
                           WorkStack<PendingRelease>& pending) {
  switch (kind) {
    case BindingValueKind::kString: context.strings.Release(static_cast<InternedString*>(node)); break;
    case BindingValueKind::kBlob: {
      BlobNode* blob = static_cast<BlobNode*>(node);
      context.heap.Free(blob->data);
      BindingValueTreeOps::DeleteNode(context, blob);
      break;
    }
    case BindingValueKind::kEnum: BindingValueTreeOps::DeleteNode(context, static_cast<EnumNode*>(node)); break;
    case BindingValueKind::kCollection:
    case BindingValueKind::kStructure: pending.Push({kind, node}); break;
    default: break;
  }
}

void BindingValueTreeOps::Release(BindingValue& value) noexcept {
  BindingValueKind kind = value.kind_;
  value.kind_ = BindingValueKind::kEmpty;
  if (kind < BindingValueKind::kString) return;
  void* node = value.payload_.node;
  if (kind == BindingValueKind::kString && node == StringPool::EmptyEntry()) return;
  BindingValueContext& context = *value.context_;
  // Pushing can only fail to spill past the inline part when memory is out;
  // a release must not fail, so that is the end of the process.
  WorkStack<PendingRelease> pending;
  ReleaseOrQueue(context, kind, node, pending);
  while (!pending.Empty()) {
    PendingRelease item = pending.Pop();
    if (item.kind == BindingValueKind::kCollection) {
      CollectionNode* collection = static_cast<CollectionNode*>(item.node);
      for (BindingValue* element = collection->begin; element != collection->end; ++element) {
        ReleaseOrQueue(context, element->kind_, element->payload_.node, pending);
      }
      FreeElements(context, *collection);
      DeleteNode(context, collection);
      continue;
    }
    // Post-order over the member tree: a node goes after both its subtrees.
    StructureNode* structure = static_cast<StructureNode*>(item.node);
    BindingMemberNode* member = structure->root;
    auto deepestFirst = [](BindingMemberNode* node) {
      for (;;) {
        if (node->left != nullptr)
          node = node->left;
        else if (node->right != nullptr)
          node = node->right;
        else
          return node;
      }
    };
    if (member != nullptr) member = deepestFirst(member);
    while (member != nullptr) {
      BindingMemberNode* parent = member->parent;
      BindingMemberNode* next = parent;
      if (parent != nullptr && member == parent->left && parent->right != nullptr) next = deepestFirst(parent->right);
      context.strings.Release(member->key);
      ReleaseOrQueue(context, member->value.kind_, member->value.payload_.node, pending);
      DeleteNode(context, member);
      member = next;
    }
    DeleteNode(context, structure);
  }
}

// Element storage of at most kMaxBlockSize bytes (up to ten elements) is
// a pool block: most collections of a tree are that short, and a block costs
// neither a heap call nor a heap-list link. Longer storage is a heap block.
static bool ElementsInBlocks(std::size_t capacity) noexcept {
  return capacity * sizeof(BindingValue) <= SmallObjectAllocator::kMaxBlockSize;
}

void BindingValueTreeOps::FreeElements(BindingValueContext& context, CollectionNode& collection) noexcept {
  std::size_t capacity = static_cast<std::size_t>(collection.capacity - collection.begin);
  if (capacity == 0) return;
  if (ElementsInBlocks(capacity))
    context.blocks.Free(collection.begin, capacity * sizeof(BindingValue));
  else
    context.heap.Free(collection.begin);
}

bool BindingValueTreeOps::GrowCollection(BindingValue& value, std::size_t n) noexcept {
  CollectionNode& collection = *NodeAs<CollectionNode>(value);
  std::size_t capacity = static_cast<std::size_t>(collection.capacity - collection.begin);
  if (n <= capacity) return true;
  if (n > kMaxCollectionSize) return false;
  std::size_t size = static_cast<std::size_t>(collection.end - collection.begin);
  BindingValueContext& context = *value.context_;
  // Elements hold no pointers into themselves, so they move bytewise.
  void* storage;
  if (capacity != 0 && !ElementsInBlocks(capacity)) {
    storage = context.heap.Reallocate(collection.begin, n * sizeof(BindingValue));
    if (storage == nullptr) return false;
  } else {
    try {
      storage = ElementsInBlocks(n) ? context.blocks.Allocate(n * sizeof(BindingValue))
                                    : context.heap.Allocate(n * sizeof(BindingValue));
    } catch (const std::bad_alloc&) {
      storage = nullptr;
    }
    if (storage == nullptr) return false;
    if (size != 0) std::memcpy(storage, static_cast<void*>(collection.begin), size * sizeof(BindingValue));
    FreeElements(context, collection);
  }
  collection.begin = static_cast<BindingValue*>(storage);
  collection.end = collection.begin + size;
  collection.capacity = collection.begin + n;
  return true;
}

// How a copy turns the source's entries into the target's.
struct BindingValueTreeOps::KeyMap {
  enum class Mode { kSamePool, kTwins, kIntern };
  Mode mode;
  StringPool* target;

  InternedString* Share(InternedString* entry) const {
    if (entry == StringPool::EmptyEntry()) return entry;
    if (!entry->Shared() && mode != Mode::kSamePool) return target->CopyOfUnshared(entry);
    switch (mode) {
      case Mode::kSamePool: StringPool::AddReference(entry); return entry;
      case Mode::kTwins: return target->TwinOf(entry);
      case Mode::kIntern: break;
    }
    return target->InternHashed(entry->View(), entry->hash);
  }
};

// Copies the member tree node for node, colours included: the source is
// already ordered and balanced, so nothing is compared or rotated.
template <typename PushValue>
void BindingValueTreeOps::CloneMembers(BindingValue& target, const BindingValue& source, const KeyMap& keys,
                                       PushValue pushValue) {
  struct PendingNode {
    const BindingMemberNode* source;
    BindingMemberNode* parent;
    BindingMemberNode** link;
  };
  StructureNode& copy = *NodeAs<StructureNode>(target);
  BindingValueContext& context = *target.context_;
  WorkStack<PendingNode> nodes;
  if (const BindingMemberNode* root = NodeAs<StructureNode>(source)->root) nodes.Push({root, nullptr, &copy.root});
  while (!nodes.Empty()) {
    PendingNode item = nodes.Pop();
    BindingMemberNode* node = NewNode<BindingMemberNode>(context);
    try {
      node->key = keys.Share(item.source->key);
    } catch (...) {
      DeleteNode(context, node);
      throw;
    }
    node->left = node->right = nullptr;
    node->parent = item.parent;
    ConstructChild(&node->value, &context);
    node->red = item.source->red;
    *item.link = node;
    ++copy.count;
    if (item.source->right != nullptr) nodes.Push({item.source->right, node, &node->right});
    if (item.source->left != nullptr) nodes.Push({item.source->left, node, &node->left});
    pushValue(&node->value, &item.source->value);
  }
}

// A whole tree copied into a tree without strings clones the source's
// strings once, in one pass over its list; every string of the copy is then
// its source entry's twin, found by position.
void BindingValueTreeOps::CopyTree(BindingValue& target, const BindingValue& source) {
  KeyMap keys{KeyMap::Mode::kIntern, nullptr};
  const bool holdsStrings = source.kind_ == BindingValueKind::kString || IsComposite(source.kind_);
  if (holdsStrings && target.context_ == source.context_) {
    keys.mode = KeyMap::Mode::kSamePool;
  } else if (holdsStrings) {
    StringPool& strings = target.EnsureContext().strings;
    keys.target = &strings;
    if (source.ownsContext_ && strings.Count() == 0) {
      strings.CloneEntries(source.context_->strings);
      keys.mode = KeyMap::Mode::kTwins;
    } else if (source.ownsContext_) {
      strings.Reserve(strings.Count() + source.context_->strings.Count());
    }
  }
  struct PendingCopy {
    BindingValue* target;
    const BindingValue* source;
  };
  WorkStack<PendingCopy> pending;
  pending.Push({&target, &source});
  while (!pending.Empty()) {
    PendingCopy item = pending.Pop();
    BindingValue& to = *item.target;
    const BindingValue& from = *item.source;
    switch (from.kind_) {
      case BindingValueKind::kEmpty: break;
      case BindingValueKind::kBool:
      case BindingValueKind::kSigned:
      case BindingValueKind::kUnsigned:
      case BindingValueKind::kFloat:
        to.payload_ = from.payload_;
        to.kind_ = from.kind_;
        break;
      case BindingValueKind::kString:
        SetNode(to, BindingValueKind::kString, keys.Share(static_cast<InternedString*>(from.payload_.node)));
        break;
      case BindingValueKind::kBlob: {
        const BlobNode& blob = *NodeAs<BlobNode>(from);
        to.SetBlob(blob.data, blob.size);
        break;
      }
      case BindingValueKind::kEnum: {
        const EnumNode& pair = *NodeAs<EnumNode>(from);
        to.SetEnum(pair.value, pair.type);
        break;
      }
      case BindingValueKind::kCollection: {
        const CollectionNode& elements = *NodeAs<CollectionNode>(from);
        std::size_t count = static_cast<std::size_t>(elements.end - elements.begin);
        to.MakeCollection();
        if (!GrowCollection(to, count)) throw std::bad_alloc();
        CollectionNode& copy = *NodeAs<CollectionNode>(to);
        for (std::size_t i = 0; i < count; ++i) {
          ConstructChild(copy.end, to.context_);
          ++copy.end;
        }
        // Pushed last to first so that elements are copied in order.
        for (std::size_t i = count; i-- > 0;) pending.Push({copy.begin + i, elements.begin + i});
        break;
      }
      case BindingValueKind::kStructure:
        to.MakeStructure();
        CloneMembers(to, from, keys, [&pending](BindingValue* target, const BindingValue* source) {
          pending.Push({target, source});
        });
        break;
    }
  }
}

}  // namespace kel
