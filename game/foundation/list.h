// Intrusive doubly linked lists: the nodes are the objects themselves. A list
// never owns its nodes; whoever created a node deletes it, and a node unlinks
// itself when it is destroyed.
#pragma once

#include "game/foundation/types.h"

class cListNode {
 public:
  cListNode() : mNext(nullptr), mPrev(nullptr) {}
  virtual ~cListNode() { Unlink(); }

  cListNode(const cListNode&) = delete;
  cListNode& operator=(const cListNode&) = delete;

  // Links the neighbours to each other and clears this node's links; a node
  // that is not between two others is left as it is.
  void Unlink();
  // Links this node (unlinked first) in front of / after a linked node.
  void InsertBefore(cListNode* node);
  void InsertAfter(cListNode* node);

  bool IsLinked() const { return mNext != nullptr && mPrev != nullptr; }
  cListNode* GetNextNode() const { return mNext; }
  cListNode* GetPrevNode() const { return mPrev; }

 private:
  friend class cList;

  cListNode* mNext;
  cListNode* mPrev;
};

// A list between two sentinel nodes, head then tail.
class cList {
 public:
  cList();
  ~cList();

  cList(const cList&) = delete;
  cList& operator=(const cList&) = delete;

  // Links node (unlinked first) in front of the tail / behind the head.
  void Append(cListNode* node) { node->InsertBefore(&mTail); }
  void Prepend(cListNode* node) { node->InsertAfter(&mHead); }
  // Unlinks every node, deleting none.
  void Clear();
  // Deletes the last node until the list is empty (each node unlinks itself
  // as it goes), for owners whose list holds what they created.
  void DeleteAll();

  bool IsEmpty() const { return mHead.GetNextNode() == &mTail; }
  u32 Count() const;
  // First and last node, or null when the list is empty.
  cListNode* First() const { return Next(&mHead); }
  cListNode* Last() const;
  // The node after node in its list, or null when node is the last one.
  static cListNode* Next(const cListNode* node);

 private:
  cListNode mHead;
  cListNode mTail;
};

// A node without data: the base of per-frame clients.
class cListElement : public cListNode {};

// A node without data: the base of queued and pooled records.
class cListItem : public cListNode {};

// A node that points at another object, so that the object can stand in lists
// it does not derive from.
class cListLink : public cListNode {
 public:
  explicit cListLink(void* object = nullptr) : mObject(object) {}

  void* GetObject() const { return mObject; }
  void SetObject(void* object) { mObject = object; }

 private:
  void* mObject;
};

// A node with a child list: the base of every widget and screen. Children are
// unlinked, not deleted, when their parent goes.
class cTreeNode : public cListNode {
 public:
  cTreeNode() : mOwner(nullptr) {}
  ~cTreeNode() override;

  // Appends child (unlinked from any former parent first) to the children.
  void AddChild(cTreeNode* child);
  // Unlinks child from the children.
  void RemoveChild(cTreeNode* child);

  cTreeNode* GetOwner() const { return mOwner; }
  cList& GetChildren() { return mChildren; }
  const cList& GetChildren() const { return mChildren; }
  cTreeNode* FirstChild() const { return static_cast<cTreeNode*>(mChildren.First()); }
  static cTreeNode* NextSibling(const cTreeNode* child) { return static_cast<cTreeNode*>(cList::Next(child)); }

 private:
  cTreeNode* mOwner;
  cList mChildren;
};
