// Widget trees: placements, the tree node that offers events and renders,
// and the widget base with its placement, hidden flag, pixel rectangle and
// render target (a sub-target of the screen stack's target, made by the
// layout).
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"
#include "game/render/scene/render_target.h"

struct tEvent;

// One coordinate of a placement: pixels, or a fraction of the parent.
struct tWgPlacementEntry {
  u8 inPixels;
  s32 pixels;
  f32 fraction;
};

// Where a widget stands in its parent: x, y, width and height, then the
// alignment flags. A plain record of 13 words that widgets copy.
struct tWgPlacement {
  // x 0 px, y 0 px, width and height the whole parent, no flags.
  tWgPlacement();
  // Every entry in pixels: rect is {x, y, width, height}.
  tWgPlacement(const u32 rect[4], u8 alignRightFlag, u8 alignBottomFlag, u8 centreXFlag, u8 centreYFlag);
  // Every entry a fraction of the parent, no flags.
  static tWgPlacement Fractions(f32 x, f32 y, f32 width, f32 height);

  tWgPlacementEntry x;
  tWgPlacementEntry y;
  tWgPlacementEntry width;
  tWgPlacementEntry height;
  u8 alignRight;
  u8 alignBottom;
  u8 centreX;
  u8 centreY;
};

static_assert(sizeof(tWgPlacement) == 13 * 4, "a placement is 13 words");

// The placement's rectangle within a parent of width x height, relative to
// the parent: sizes and positions in pixels or truncated fractions, then
// centring (integer halves) and alignment to the right or bottom edge.
RwRect ResolvePlacement(const tWgPlacement& placement, s32 width, s32 height);

class cWgWidget;

class cWgNode : public cTreeNode {
 public:
  // Offers the event to the children from the last to the first, each with
  // its own subtree, stopping at the first that takes it; then to the node
  // itself, whatever the children answered. Returns the node's answer.
  static bool OfferEvent(cWgWidget* node, const tEvent* event);
  // Nothing for a hidden node; else the node, then its children from the
  // first to the last (the first drawn underneath).
  static void RenderTree(cWgWidget* node);
};

class cWgWidget : public cWgNode {
 public:
  explicit cWgWidget(const tWgPlacement& placement = tWgPlacement());
  // Releases the render target; children are unlinked, not deleted.
  ~cWgWidget() override;

  virtual bool OnEvent(const tEvent* event);
  virtual void Render() {}

  // Appends a child widget (its owner deletes it, not the tree).
  void AddWidget(cWgWidget* child) { AddChild(child); }

  const tWgPlacement& GetPlacement() const { return mPlacement; }
  void SetPlacement(const tWgPlacement& placement) { mPlacement = placement; }
  bool IsHidden() const { return mHidden != 0; }
  void SetHidden(bool hidden) { mHidden = hidden ? 1 : 0; }
  // The absolute pixel rectangle of the last layout.
  const RwRect& GetRect() const { return mRect; }
  cRenderTarget& GetRenderTarget() { return mTarget; }

  // Lays this widget and its subtree out in the parent's absolute rectangle;
  // each gets a sub-target of the stack's target for its rectangle.
  void Layout(const RwRect& parent, const cRenderTarget& stackTarget);

 protected:
  tWgPlacement mPlacement;
  u8 mHidden;
  RwRect mRect;
  cRenderTarget mTarget;
};
