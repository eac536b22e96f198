// Tests of the intrusive lists, tree nodes, the update walk with clients that
// delete one another, timers and the arrays.
#include "game/foundation/list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/foundation/array.h"
#include "game/foundation/updatable.h"

namespace {

std::vector<cListNode*> Nodes(const cList& list) {
  std::vector<cListNode*> nodes;
  for (cListNode* node = list.First(); node != nullptr; node = cList::Next(node)) {
    nodes.push_back(node);
  }
  return nodes;
}

TEST(ListTest, AppendUnlinkAndClear) {
  cList list;
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(nullptr, list.First());
  EXPECT_EQ(nullptr, list.Last());

  cListElement a, b, c;
  list.Append(&a);
  list.Append(&b);
  list.Prepend(&c);
  EXPECT_EQ((std::vector<cListNode*>{&c, &a, &b}), Nodes(list));
  EXPECT_EQ(&b, list.Last());
  EXPECT_EQ(3u, list.Count());

  a.Unlink();
  EXPECT_FALSE(a.IsLinked());
  a.Unlink();  // not in a list: nothing happens
  EXPECT_EQ((std::vector<cListNode*>{&c, &b}), Nodes(list));

  // Appending a node that sits in another list moves it.
  cList other;
  other.Append(&b);
  EXPECT_EQ((std::vector<cListNode*>{&c}), Nodes(list));
  EXPECT_EQ((std::vector<cListNode*>{&b}), Nodes(other));

  list.Clear();
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_FALSE(c.IsLinked());
}

TEST(ListTest, DestroyedListLeavesNodesUnlinkedAndAlive) {
  cListItem a, b;
  {
    cList list;
    list.Append(&a);
    list.Append(&b);
  }
  EXPECT_FALSE(a.IsLinked());
  EXPECT_FALSE(b.IsLinked());
}

TEST(ListTest, DestroyedNodeLeavesItsList) {
  cList list;
  cListItem a, c;
  list.Append(&a);
  {
    cListLink b(&a);
    EXPECT_EQ(&a, b.GetObject());
    list.Append(&b);
    list.Append(&c);
  }
  EXPECT_EQ((std::vector<cListNode*>{&a, &c}), Nodes(list));
}

TEST(TreeNodeTest, ChildrenAreUnlinkedNotDeleted) {
  cTreeNode child1, child2;
  {
    cTreeNode parent;
    parent.AddChild(&child1);
    parent.AddChild(&child2);
    EXPECT_EQ(&parent, child1.GetOwner());
    EXPECT_EQ(&child1, parent.FirstChild());
    EXPECT_EQ(&child2, cTreeNode::NextSibling(&child1));

    cTreeNode other;
    other.AddChild(&child2);  // moves from parent
    EXPECT_EQ(1u, parent.GetChildren().Count());
    EXPECT_EQ(&other, child2.GetOwner());
  }
  EXPECT_FALSE(child1.IsLinked());
  EXPECT_EQ(nullptr, child1.GetOwner());
  EXPECT_EQ(nullptr, child2.GetOwner());
}

// A client that records its visits and, on its turn, deletes the clients it
// was told to (itself by returning true).
class cScriptedClient : public cUpdatable {
 public:
  cScriptedClient(std::string name, std::string* log) : mName(std::move(name)), mLog(log) {}
  ~cScriptedClient() override { *mLog += "~" + mName + " "; }

  bool Update(f32) override {
    *mLog += mName + " ";
    for (cScriptedClient* victim : mVictims) {
      delete victim;
    }
    mVictims.clear();
    return mDeleteSelf;
  }

  std::vector<cScriptedClient*> mVictims;
  bool mDeleteSelf = false;

 private:
  std::string mName;
  std::string* mLog;
};

TEST(UpdateWalkTest, ClientsDeletingThemselvesAndEachOther) {
  struct Case {
    const char* name;
    // Which of clients 0..3 client i deletes, -1 for itself by returning true.
    std::vector<std::vector<int>> deletes;
    const char* log;
    size_t survivors;
  };
  const Case cases[] = {
      {"none", {{}, {}, {}, {}}, "0 1 2 3 ", 4},
      {"self", {{}, {-1}, {}, {}}, "0 1 ~1 2 3 ", 3},
      {"next", {{1}, {}, {}, {}}, "0 ~1 2 3 ", 3},
      {"next two and last", {{1, 2, 3}, {}, {}, {}}, "0 ~1 ~2 ~3 ", 1},
      {"earlier", {{}, {}, {0}, {}}, "0 1 2 ~0 3 ", 3},
      {"next then self", {{}, {2, -1}, {}, {}}, "0 1 ~2 ~1 3 ", 2},
      {"last deletes self", {{}, {}, {}, {-1}}, "0 1 2 3 ~3 ", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string log;
    cList list;
    std::vector<cScriptedClient*> clients;
    for (int i = 0; i < 4; i++) {
      clients.push_back(new cScriptedClient(std::to_string(i), &log));
      list.Append(clients.back());
    }
    for (int i = 0; i < 4; i++) {
      for (int victim : c.deletes[i]) {
        if (victim < 0) {
          clients[i]->mDeleteSelf = true;
        } else {
          clients[i]->mVictims.push_back(clients[victim]);
        }
      }
    }
    UpdateClients(list, 0.04f);
    EXPECT_EQ(c.log, log);
    EXPECT_EQ(c.survivors, list.Count());
    EXPECT_EQ(nullptr, gUpdateCursor);
    while (!list.IsEmpty()) {
      delete static_cast<cScriptedClient*>(list.First());
    }
  }
}

TEST(UpdateWalkTest, NestedWalkKeepsOuterCursor) {
  std::string log;
  cList inner;
  cScriptedClient* innerClient = new cScriptedClient("in", &log);
  inner.Append(innerClient);

  class cWalker : public cUpdatable {
   public:
    explicit cWalker(cList* list) : mList(list) {}
    bool Update(f32 dt) override {
      UpdateClients(*mList, dt);
      return false;
    }
    cList* mList;
  };

  cList outer;
  cWalker walker(&inner);
  cScriptedClient after("after", &log);
  outer.Append(&walker);
  outer.Append(&after);
  UpdateClients(outer, 0.0f);
  EXPECT_EQ("in after ", log);
  delete innerClient;
  log.clear();
}

TEST(TimerTest, AccumulatesMilliseconds) {
  cTimer timer;
  for (int i = 0; i < 5; i++) {
    EXPECT_FALSE(timer.Update(0.04f));
  }
  EXPECT_NEAR(200.0f, timer.GetMilliseconds(), 1e-3f);
  cList list;
  list.Append(&timer);
  UpdateClients(list, 0.5f);
  PostUpdateClients(list, 0.5f);
  EXPECT_NEAR(700.0f, timer.GetMilliseconds(), 1e-3f);
  EXPECT_EQ(1u, list.Count());
}

TEST(ArrayTest, PtrArrayHoldsPointersAndResizes) {
  int values[3];
  cPtrArray a;
  a.SetCount(3);
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(nullptr, a.Get(i));
    a.Set(i, &values[i]);
  }
  cPtrArray b;
  b = a;
  EXPECT_EQ(&values[2], b.Get(2));
  b.SetCount(5);
  EXPECT_EQ(&values[1], b.Get(1));
  EXPECT_EQ(nullptr, b.Get(4));
  b.Fill(3, 10, &values[0]);  // clamped to the array
  EXPECT_EQ(&values[0], b.Get(4));
  b.SetCount(0);
  EXPECT_EQ(nullptr, b.GetData());
  cPtrArray c(a);
  EXPECT_EQ(&values[0], c.Get(0));
}

TEST(ArrayTest, ByteAndStringArrays) {
  cByteArray bytes;
  bytes.Resize(2, 7);
  bytes.GetData()[0] = 1;
  bytes.Resize(4, 9);
  EXPECT_EQ(1, bytes.GetData()[0]);
  EXPECT_EQ(7, bytes.GetData()[1]);
  EXPECT_EQ(9, bytes.GetData()[3]);
  bytes.Resize(0, 0);
  EXPECT_EQ(nullptr, bytes.GetData());

  cStringArray strings;
  strings.Allocate(2);
  strings[1] = cString("x");
  strings.Allocate(3);
  EXPECT_EQ(3u, strings.GetCount());
  EXPECT_TRUE(strings[1].IsEmpty());

  cAnimSlotArray slots;
  slots.Allocate(2);
  EXPECT_EQ(0u, slots[1].rootKeys.GetCount());
  slots[1].rootKeys.Allocate(3);
  slots[1].rootKeys[2] = tRootKey{1.0f, 2.0f, 3.0f, 0.5f};
  EXPECT_FLOAT_EQ(0.5f, slots[1].rootKeys[2].time);
  slots.Allocate(1);  // the former slots and their keys are released
  EXPECT_EQ(1u, slots.GetCount());
  slots.Release();
  EXPECT_EQ(0u, slots.GetCount());
}

}  // namespace
