// Placements, the widget-tree walks and the layout.
#include "game/app/screens/widget.h"

tWgPlacement::tWgPlacement()
    : x{1, 0, 0.0f},
      y{1, 0, 0.0f},
      width{0, 0, 1.0f},
      height{0, 0, 1.0f},
      alignRight(0),
      alignBottom(0),
      centreX(0),
      centreY(0) {}

tWgPlacement::tWgPlacement(const u32 rect[4], u8 alignRightFlag, u8 alignBottomFlag, u8 centreXFlag, u8 centreYFlag)
    : x{1, static_cast<s32>(rect[0]), 0.0f},
      y{1, static_cast<s32>(rect[1]), 0.0f},
      width{1, static_cast<s32>(rect[2]), 0.0f},
      height{1, static_cast<s32>(rect[3]), 0.0f},
      alignRight(alignRightFlag),
      alignBottom(alignBottomFlag),
      centreX(centreXFlag),
      centreY(centreYFlag) {}

tWgPlacement tWgPlacement::Fractions(f32 x, f32 y, f32 width, f32 height) {
  tWgPlacement placement;
  placement.x = tWgPlacementEntry{0, 0, x};
  placement.y = tWgPlacementEntry{0, 0, y};
  placement.width = tWgPlacementEntry{0, 0, width};
  placement.height = tWgPlacementEntry{0, 0, height};
  return placement;
}

namespace {

s32 ResolveEntry(const tWgPlacementEntry& entry, s32 parent) {
  if (entry.inPixels) {
    return entry.pixels;
  }
  return static_cast<s32>(static_cast<f32>(parent) * entry.fraction);
}

}  // namespace

RwRect ResolvePlacement(const tWgPlacement& placement, s32 width, s32 height) {
  RwRect rect;
  rect.w = ResolveEntry(placement.width, width);
  rect.h = ResolveEntry(placement.height, height);
  rect.x = ResolveEntry(placement.x, width);
  rect.y = ResolveEntry(placement.y, height);
  if (placement.centreX) {
    rect.x += (width - rect.w) / 2;
  }
  if (placement.centreY) {
    rect.y += (height - rect.h) / 2;
  }
  if (placement.alignRight) {
    rect.x = width - rect.w - rect.x;
  }
  if (placement.alignBottom) {
    rect.y = height - rect.h - rect.y;
  }
  return rect;
}

namespace {

// The child before child among node's children, or null when child is the
// first or no longer one of them (a handler changed the tree).
cWgWidget* PreviousChild(cWgWidget* node, cTreeNode* child) {
  if (child == nullptr || child->GetOwner() != node || !child->IsLinked() || child == node->FirstChild()) {
    return nullptr;
  }
  return static_cast<cWgWidget*>(child->GetPrevNode());
}

}  // namespace

bool cWgNode::OfferEvent(cWgWidget* node, const tEvent* event) {
  cWgWidget* child = static_cast<cWgWidget*>(node->GetChildren().Last());
  while (child != nullptr) {
    cWgWidget* previous = PreviousChild(node, child);
    if (OfferEvent(child, event)) {
      break;
    }
    // The earlier sibling is taken only while it still belongs here.
    if (previous != nullptr && (previous->GetOwner() != node || !previous->IsLinked())) {
      break;
    }
    child = previous;
  }
  return node->OnEvent(event);
}

void cWgNode::RenderTree(cWgWidget* node) {
  if (node->IsHidden()) {
    return;
  }
  node->Render();
  for (cTreeNode* child = node->FirstChild(); child != nullptr; child = cTreeNode::NextSibling(child)) {
    RenderTree(static_cast<cWgWidget*>(child));
  }
}

cWgWidget::cWgWidget(const tWgPlacement& placement) : mPlacement(placement), mHidden(0), mRect{0, 0, 0, 0} {}

cWgWidget::~cWgWidget() { mTarget.Release(); }

bool cWgWidget::OnEvent(const tEvent*) { return false; }

void cWgWidget::Layout(const RwRect& parent, const cRenderTarget& stackTarget) {
  const RwRect local = ResolvePlacement(mPlacement, parent.w, parent.h);
  mRect = RwRect{parent.x + local.x, parent.y + local.y, local.w, local.h};
  mTarget.CreateSubTarget(stackTarget, mRect);
  for (cTreeNode* child = FirstChild(); child != nullptr; child = cTreeNode::NextSibling(child)) {
    static_cast<cWgWidget*>(child)->Layout(mRect, stackTarget);
  }
}
