// Static level objects: placed models without behaviour. An XRF object is a
// model, recoloured by its locator entry's data, with an optional collision
// twin; a glowing object adds a glow billboard standing at the model and
// ignores the entry's data.
#pragma once

#include "game/foundation/array.h"
#include "game/foundation/property.h"
#include "game/render/effects/billboard.h"
#include "game/render/models/lightmap.h"
#include "game/render/models/static_lit_clump_ro.h"
#include "game/world/level_object.h"

class cQXWorld;

class cXrfObject : public cLevelObject {
 public:
  // The model from the path and the lightmaps; its collision twin (the path
  // with "collision/" before the file name), when the file exists, hangs
  // under the model's frame.
  cXrfObject(const char* modelPath, cLightmap* lightmap);
  // Detaches the twin, then deletes both models.
  ~cXrfObject() override;

  cLevelObject* Clone() override { return new cXrfObject(*this); }
  // The entry's RRGGBB colours recolour the model.
  void SetColourTable(const char* text) override;
  eObjectSetKind GetKind() const override { return kSetXrf; }

  cStaticLitClumpRO* GetModel() const { return mModel; }
  cClumpRO* GetCollisionModel() const { return mCollisionModel; }
  // The twin's clump, or null.
  RpClump* GetCollisionClump() const { return mCollisionModel->GetClump(); }

 protected:
  // Copies of the prototype's models, the twin attached as above.
  cXrfObject(const cXrfObject& prototype);

  cStaticLitClumpRO* mModel;
  cClumpRO* mCollisionModel;
};

class cGlowingObject : public cXrfObject {
 public:
  cGlowingObject(const char* modelPath, cLightmap* lightmap) : cXrfObject(modelPath, lightmap) {}

  cLevelObject* Clone() override { return new cGlowingObject(*this); }
  // Glowing objects keep their model's colours.
  void SetColourTable(const char* text) override { (void)text; }
  eObjectSetKind GetKind() const override { return kSetGlowing; }

  // GLOW names the billboard's texture in "data/textures/" (read with its
  // mask; unreadable leaves it untextured); with or without it the
  // billboard tests and writes depth.
  void ReadProperties(const cPropertyGroup* group);

  cBillboard& GetBillboard() { return mBillboard; }

 private:
  // The billboard is made afresh, untextured.
  cGlowingObject(const cGlowingObject& prototype) : cXrfObject(prototype) {}

  cBillboard mBillboard;
};

// Into the world: the model into the scene, tinted once from the lightmaps,
// the collision twin into the collision world.
void LinkXrfObject(cXrfObject* object, cQXWorld* world);
// As above, the billboard moved to the model's position and added to the
// render manager's objects first.
void LinkGlowingObject(cGlowingObject* object, cQXWorld* world);
// The attach passes of the world's static and glowing tables.
void LinkXrfObjects(const cPtrArray& sets, cQXWorld* world);
void LinkGlowingObjects(const cPtrArray& sets, cQXWorld* world);
// Each glowing clone with a PROPS group of its name reads it.
void SetUpGlowingObjects(const cPtrArray& sets, const cPropertyFile& props);
