// Clump objects tinted from the level's lightmaps: once placed they take the
// average colour of the four maps at their ground position, which scales
// their materials' colours at every draw; with a colour table (per-vertex
// RRGGBB colours of the placement) the object draws a private copy of its
// geometry whose vertex colours come from the table instead.
#pragma once

#include <cstdint>

#include "game/render/models/clump_ro.h"
#include "game/render/models/lightmap.h"
#include "game/render/scene/light.h"

class cStaticLitClumpRO : public cClumpRO {
 public:
  // Every geometry becomes pre-lit and modulated by its material colours;
  // each material's colour is kept as its base colour.
  cStaticLitClumpRO(const char* fileName, cLightmap* lightmap, const char* textureFolder);
  // Shares the prototype's lightmap and base colours.
  explicit cStaticLitClumpRO(const cStaticLitClumpRO& prototype);
  ~cStaticLitClumpRO() override;

  cRO* Clone() override { return new cStaticLitClumpRO(*this); }
  // Tints every atomic, once a frame stamp.
  void Refresh(u32 frameStamp) override;

  // Keeps the extra light (a light of the level camera, added to the tint),
  // samples the four maps at the object's ground position and joins the
  // tinted list. The lit colour is the average of the four samples.
  void UpdateLightColour(cLight* extraLight);
  // Six-digit RRGGBB groups, one colour each; a text of 4 characters or
  // fewer is ignored, a partial last group too. The first atomic's
  // materials turn opaque white.
  void SetColourTable(const char* text);

  const RwRGBA& GetLitColour() const { return mLitColour; }
  u32 GetColourTableCount() const { return mColourTableCount; }
  const RwRGBA* GetColourTable() const { return mColourTable; }
  u32 GetBaseColourCount() const { return mBaseColourCount; }
  const RwRGBA* GetBaseColours() const { return mBaseColours; }

 protected:
  void Retint() override;

 private:
  void PrepareAtomics();
  // Where the atomic of this geometry starts in the base-colour array; -1
  // when no atomic has it.
  int64_t FindBaseColours(const RpGeometry* geometry) const;
  void TintAtomic(RpAtomic* atomic, u32 firstBase);
  void TintMaterials(RpGeometry* geometry, u32 firstBase);
  void WriteTableColours(RpGeometry* target, const RpGeometry* shared);
  // The materials' base colours back, from the base-colour array.
  void UntintMaterials(RpGeometry* geometry, u32 firstBase);
  // The materials-tinted byte lives on the prototype the materials came from.
  u8& MaterialsTinted();

  cLightmap* mLightmap;
  RwRGBA mLitColour = {0, 0, 0, 255};
  RwRGBA* mBaseColours = nullptr;
  u32 mBaseColourCount = 0;
  RwRGBA* mColourTable = nullptr;
  u32 mColourTableCount = 0;
  u32 mVertexOffset = 0;
  u8 mMaterialsTinted = 0;
  cLight* mExtraLight = nullptr;
  // The frame stamp of the last tint; a new light colour or colour table
  // clears the flag so that the next draw tints again.
  bool mTinted = false;
  u32 mTintStamp = 0;
};
