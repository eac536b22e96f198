// cListNode, cList and cTreeNode.
#include "game/foundation/list.h"

void cListNode::Unlink() {
  if (mNext == nullptr || mPrev == nullptr) {
    return;
  }
  mNext->mPrev = mPrev;
  mPrev->mNext = mNext;
  mNext = nullptr;
  mPrev = nullptr;
}

void cListNode::InsertBefore(cListNode* node) {
  Unlink();
  mNext = node;
  mPrev = node->mPrev;
  node->mPrev->mNext = this;
  node->mPrev = this;
}

void cListNode::InsertAfter(cListNode* node) {
  Unlink();
  mPrev = node;
  mNext = node->mNext;
  node->mNext->mPrev = this;
  node->mNext = this;
}

cList::cList() {
  // Each sentinel keeps one open end, which is how a walk recognises it.
  mHead.mNext = &mTail;
  mTail.mPrev = &mHead;
}

cList::~cList() {
  Clear();
  mHead.mNext = nullptr;
  mTail.mPrev = nullptr;
}

void cList::Clear() {
  while (!IsEmpty()) {
    mHead.mNext->Unlink();
  }
}

void cList::DeleteAll() {
  while (!IsEmpty()) {
    delete mTail.mPrev;
  }
}

u32 cList::Count() const {
  u32 count = 0;
  for (cListNode* node = First(); node != nullptr; node = Next(node)) {
    count++;
  }
  return count;
}

cListNode* cList::Last() const { return IsEmpty() ? nullptr : mTail.mPrev; }

cListNode* cList::Next(const cListNode* node) {
  cListNode* next = node->mNext;
  if (next == nullptr || next->mNext == nullptr) {
    return nullptr;
  }
  return next;
}

cTreeNode::~cTreeNode() {
  for (cTreeNode* child = FirstChild(); child != nullptr; child = NextSibling(child)) {
    child->mOwner = nullptr;
  }
}

void cTreeNode::AddChild(cTreeNode* child) {
  if (child->mOwner != nullptr) {
    child->mOwner->RemoveChild(child);
  }
  mChildren.Append(child);
  child->mOwner = this;
}

void cTreeNode::RemoveChild(cTreeNode* child) {
  if (child->mOwner != this) {
    return;
  }
  child->Unlink();
  child->mOwner = nullptr;
}
