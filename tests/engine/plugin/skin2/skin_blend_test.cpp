// The matrix palette and the portable blending: blended positions and
// normals against blends computed independently in double precision, under
// each way a hierarchy holds its pose; the palette cache; bones without a
// node; the one-weight paths; skins without vertex data; SSE against portable.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "engine/plugin/skin2/skin_internal.h"
#include "tests/support/skin_engine.h"

namespace {

using Mat4 = std::array<std::array<double, 4>, 4>;

// Row-vector convention, as the engine's: p' = p M.
Mat4 ToMat4(const RwMatrix& m) {
  return {{{m.right.x, m.right.y, m.right.z, 0.0},
           {m.up.x, m.up.y, m.up.z, 0.0},
           {m.at.x, m.at.y, m.at.z, 0.0},
           {m.pos.x, m.pos.y, m.pos.z, 1.0}}};
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
  Mat4 out = {};
  for (int r = 0; r < 4; r++) {
    for (int c = 0; c < 4; c++) {
      for (int k = 0; k < 4; k++) {
        out[r][c] += a[r][k] * b[k][c];
      }
    }
  }
  return out;
}

// The inverse of a rigid matrix (rotation, then translation): the rotation
// transposed, then the translation undone.
Mat4 RigidInverse(const Mat4& m) {
  Mat4 out = {};
  for (int r = 0; r < 3; r++) {
    for (int c = 0; c < 3; c++) {
      out[r][c] = m[c][r];
    }
  }
  for (int c = 0; c < 3; c++) {
    out[3][c] = -(m[3][0] * out[0][c] + m[3][1] * out[1][c] + m[3][2] * out[2][c]);
  }
  out[3][3] = 1.0;
  return out;
}

std::array<double, 3> Apply(const Mat4& m, const RwV3d& v, double w) {
  std::array<double, 3> out;
  for (int c = 0; c < 3; c++) {
    out[c] = v.x * m[0][c] + v.y * m[1][c] + v.z * m[2][c] + w * m[3][c];
  }
  return out;
}

// A matrix that is neither orthonormal nor simple: rotation, uneven scale,
// translation.
RwMatrix Skewed(RwReal degrees, RwV3d axis, RwV3d scale, RwV3d translation) {
  RwMatrix m;
  RwMatrixRotate(&m, &axis, degrees, kRwCombineReplace);
  RwMatrixScale(&m, &scale, kRwCombinePreConcat);
  RwMatrixTranslate(&m, &translation, kRwCombinePostConcat);
  return m;
}

// One vertex as the pipeline lays it out: position, normal, coordinates.
struct Vertex {
  RwReal position[3];
  RwReal normal[3];
  RwReal uv[2];
};

constexpr RwReal kUntouched = 77.0f;

class SkinBlendTest : public SkinEngineTest {
 protected:
  static constexpr RwInt32 kBones = 4;

  void SetUp() override {
    SkinEngineTest::SetUp();
    for (RwInt32 i = 0; i < kBones; i++) {
      const RwReal f = static_cast<RwReal>(i);
      inverses_.push_back(
          Skewed(20.0f + 15.0f * f, {0.0f, 1.0f, 0.0f}, {1.0f, 1.0f + 0.1f * f, 1.0f}, {0.0f, -f, 0.5f * f}));
      poses_.push_back(
          Skewed(-30.0f + 25.0f * f, {0.6f, 0.0f, 0.8f}, {1.2f, 0.9f, 1.0f + 0.2f * f}, {f, 2.0f, -1.0f + f}));
    }
    frame_ = RwFrameCreate();
    const RwMatrix place = Skewed(40.0f, {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f}, {3.0f, -2.0f, 5.0f});
    frame_->modelling = place;
    RwFrameMarkDirty(frame_);
    atomic_ = RpAtomicCreate();
    RpAtomicSetFrame(atomic_, frame_);
    RwEngineInstance->renderFrame = 1;
  }

  void TearDown() override {
    if (skin_ != nullptr) {
      RpSkinDestroy(skin_);
    }
    if (hierarchy_ != nullptr) {
      RpHAnimHierarchyDestroy(hierarchy_);
    }
    for (RwFrame* frame : nodeFrames_) {
      RwFrameDestroy(frame);
    }
    RpAtomicDestroy(atomic_);
    RwFrameDestroy(frame_);
    SkinEngineTest::TearDown();
  }

  void MakeSkin(const std::vector<RwUInt32>& bones, const std::vector<RpSkinVertexWeights>& weights) {
    indices_ = bones;
    weights_ = weights;
    skin_ = RpSkinCreate(static_cast<RwInt32>(bones.size()), kBones, bones.data(), weights.data(), inverses_.data());
    ASSERT_NE(skin_, nullptr);
    // What the skin holds after sorting, which the expectations follow.
    indices_.assign(skin_->vertexBoneIndices, skin_->vertexBoneIndices + bones.size());
    weights_.assign(skin_->vertexWeights, skin_->vertexWeights + bones.size());
  }

  // A hierarchy of nodes nodes posed by poses_: in its matrix array, or with
  // kRpHAnimNoMatrices in frames whose world matrices are the poses.
  void MakeHierarchy(RwInt32 nodes, RwUInt32 flags) {
    hierarchy_ = RpHAnimHierarchyCreate(nodes, nullptr, nullptr, flags, sizeof(RpHAnimStdKeyFrame));
    ASSERT_NE(hierarchy_, nullptr);
    for (RwInt32 i = 0; i < nodes; i++) {
      const RwMatrix& pose = poses_[static_cast<size_t>(i % kBones)];
      if (hierarchy_->pMatrixArray != nullptr) {
        hierarchy_->pMatrixArray[i] = pose;
      } else {
        RwFrame* frame = RwFrameCreate();
        frame->modelling = pose;
        RwFrameMarkDirty(frame);
        hierarchy_->pNodeInfo[i].pFrame = frame;
        nodeFrames_.push_back(frame);
      }
    }
  }

  // The bone's palette matrix in double precision: B x pose, then the
  // inverse of the atomic's frame unless the pose is local.
  Mat4 Expected(RwInt32 bone, bool local) const {
    const Mat4 posed =
        Multiply(ToMat4(inverses_[static_cast<size_t>(bone)]), ToMat4(poses_[static_cast<size_t>(bone)]));
    return local ? posed : Multiply(posed, RigidInverse(ToMat4(frame_->modelling)));
  }

  std::vector<Vertex> Blend(const std::vector<RwV3d>& positions, const std::vector<RwV3d>& normals) {
    std::vector<Vertex> out(
        positions.size(),
        Vertex{{kUntouched, kUntouched, kUntouched}, {kUntouched, kUntouched, kUntouched}, {kUntouched, kUntouched}});
    const RpSkinBlendMatrix* palette = _rpSkinPrepareMatrices(atomic_, skin_, hierarchy_);
    EXPECT_NE(palette, nullptr);
    if (palette != nullptr) {
      const RpSkinBlendRun run = {0, static_cast<RwUInt32>(positions.size()), nullptr, out.data(), sizeof(Vertex)};
      _rpSkinBlendVertices(skin_, palette, positions.data(), normals.empty() ? nullptr : normals.data(), &run);
    }
    return out;
  }

  // Compares vertex i with w_k (v P_k) summed over the terms the blend
  // takes: the first bone alone for a full first weight, else the first two
  // and any later positive weight.
  void ExpectVertex(const std::vector<Vertex>& out, size_t i, const std::vector<RwV3d>& positions,
                    const std::vector<RwV3d>& normals, bool local) const {
    SCOPED_TRACE(i);
    std::array<double, 3> position = {0, 0, 0};
    std::array<double, 3> normal = {0, 0, 0};
    const bool full = weights_[i].w[0] >= 1.0f;
    for (int k = 0; k < 4; k++) {
      const double w = weights_[i].w[k];
      if ((full && k > 0) || (k >= 2 && !(w > 0.0))) {
        continue;
      }
      const Mat4 m = Expected(static_cast<RwInt32>((indices_[i] >> (8 * k)) & 0xFF), local);
      const double weight = full ? 1.0 : w;
      const std::array<double, 3> p = Apply(m, positions[i], 1.0);
      const std::array<double, 3> n = Apply(m, normals[i], 0.0);
      for (int c = 0; c < 3; c++) {
        position[c] += weight * p[c];
        normal[c] += weight * n[c];
      }
    }
    for (int c = 0; c < 3; c++) {
      EXPECT_NEAR(out[i].position[c], position[c], 2e-5 * (1.0 + std::abs(position[c])));
      EXPECT_NEAR(out[i].normal[c], normal[c], 2e-5 * (1.0 + std::abs(normal[c])));
    }
    EXPECT_EQ(out[i].uv[0], kUntouched);
    EXPECT_EQ(out[i].uv[1], kUntouched);
  }

  void ExpectBlended(const std::vector<Vertex>& out, const std::vector<RwV3d>& positions,
                     const std::vector<RwV3d>& normals, bool local) const {
    for (size_t i = 0; i < positions.size(); i++) {
      ExpectVertex(out, i, positions, normals, local);
    }
  }

  std::vector<RwMatrix> inverses_;
  std::vector<RwMatrix> poses_;
  std::vector<RwUInt32> indices_;
  std::vector<RpSkinVertexWeights> weights_;
  std::vector<RwFrame*> nodeFrames_;
  RwFrame* frame_ = nullptr;
  RpAtomic* atomic_ = nullptr;
  RpSkin* skin_ = nullptr;
  RpHAnimHierarchy* hierarchy_ = nullptr;
};

const std::vector<RwV3d> kPositions = {
    {1.0f, 2.0f, 3.0f}, {-0.5f, 4.0f, 1.5f}, {2.5f, -1.0f, 0.25f}, {0.0f, 0.5f, -2.0f}};
const std::vector<RwV3d> kNormals = {{0.0f, 1.0f, 0.0f}, {0.6f, 0.0f, 0.8f}, {0.0f, 0.0f, -1.0f}, {1.0f, 0.0f, 0.0f}};

TEST_F(SkinBlendTest, BlendsMatchDoublePrecisionUnderEachHierarchyKind) {
  struct Case {
    const char* name;
    RwUInt32 flags;
    bool local;
  };
  // Four weights: a full first weight, two weights, four with a zero third
  // (unsorted in the input), and four.
  MakeSkin(
      {Bones(2, 1, 3, 0), Bones(1, 3, 0, 0), Bones(0, 3, 2, 1), Bones(3, 0, 1, 2)},
      {{{1.0f, 0.0f, 0.0f, 0.0f}}, {{0.7f, 0.3f, 0.0f, 0.0f}}, {{0.4f, 0.0f, 0.6f, 0.0f}}, {{0.4f, 0.3f, 0.2f, 0.1f}}});
  ASSERT_EQ(skin_->maxWeights, 4u);
  for (int skin = 0; skin < 2; skin++) {
    SCOPED_TRACE(skin == 0 ? "four weights" : "two weights");
    if (skin == 1) {
      RpSkinDestroy(skin_);
      MakeSkin({Bones(3, 0, 0, 0), Bones(2, 1, 0, 0), Bones(0, 3, 0, 0), Bones(1, 2, 0, 0)},
               {{{1.0f, 0.0f, 0.0f, 0.0f}},
                {{0.25f, 0.75f, 0.0f, 0.0f}},
                {{0.5f, 0.5f, 0.0f, 0.0f}},
                {{0.9f, 0.1f, 0.0f, 0.0f}}});
      ASSERT_EQ(skin_->maxWeights, 2u);
    }
    for (const Case& c : {Case{"matrix array", 0u, false}, Case{"frames", kRpHAnimNoMatrices, false},
                          Case{"local space", kRpHAnimLocalSpace, true}}) {
      SCOPED_TRACE(c.name);
      RwEngineInstance->renderFrame++;  // a new hierarchy may take the freed one's address
      MakeHierarchy(kBones, c.flags);
      ExpectBlended(Blend(kPositions, kNormals), kPositions, kNormals, c.local);
      RpHAnimHierarchyDestroy(hierarchy_);
      hierarchy_ = nullptr;
    }
  }
}

TEST_F(SkinBlendTest, RunsTakeTheirVerticesByMapOrFromTheFirst) {
  MakeSkin({Bones(3, 0, 0, 0), Bones(2, 1, 0, 0), Bones(0, 3, 0, 0)},
           {{{1.0f, 0.0f, 0.0f, 0.0f}}, {{0.25f, 0.75f, 0.0f, 0.0f}}, {{0.5f, 0.5f, 0.0f, 0.0f}}});
  MakeHierarchy(kBones, 0);
  const std::vector<RwV3d> positions(kPositions.begin(), kPositions.begin() + 3);
  const std::vector<RwV3d> normals(kNormals.begin(), kNormals.begin() + 3);
  const std::vector<Vertex> whole = Blend(positions, normals);
  const RpSkinBlendMatrix* palette = _rpSkinPrepareMatrices(atomic_, skin_, hierarchy_);
  const RwUInt16 map[3] = {2, 0, 9};
  std::vector<Vertex> out(3, Vertex{{kUntouched, kUntouched, kUntouched}, {}, {}});
  const RpSkinBlendRun mapped = {0, 3, map, out.data(), sizeof(Vertex)};
  _rpSkinBlendVertices(skin_, palette, positions.data(), normals.data(), &mapped);
  EXPECT_EQ(out[0].position[1], whole[2].position[1]);
  EXPECT_EQ(out[1].normal[2], whole[0].normal[2]);
  EXPECT_EQ(out[2].position[0], kUntouched);  // vertex 9 is not the skin's
  const RpSkinBlendRun tail = {1, 3, nullptr, out.data(), sizeof(Vertex)};
  _rpSkinBlendVertices(skin_, palette, positions.data(), normals.data(), &tail);
  EXPECT_EQ(out[0].position[2], whole[1].position[2]);
  EXPECT_EQ(out[1].position[0], whole[2].position[0]);
  EXPECT_EQ(out[2].position[0], kUntouched);
}

TEST_F(SkinBlendTest, OneWeightTakesTheFirstBoneOrTheOnlyUsedBone) {
  SCOPED_TRACE("one used bone");
  MakeSkin({Bones(2, 0, 0, 0), Bones(2, 1, 0, 0)}, {{{1.0f, 0.0f, 0.0f, 0.0f}}, {{1.0f, 0.0f, 0.0f, 0.0f}}});
  ASSERT_EQ(skin_->numUsedBones, 1u);
  MakeHierarchy(kBones, 0);
  const std::vector<RwV3d> positions(kPositions.begin(), kPositions.begin() + 2);
  const std::vector<RwV3d> normals(kNormals.begin(), kNormals.begin() + 2);
  ExpectBlended(Blend(positions, normals), positions, normals, false);
  RpSkinDestroy(skin_);
  SCOPED_TRACE("several used bones");
  MakeSkin({Bones(2, 0, 0, 0), Bones(1, 3, 0, 0)}, {{{1.0f, 0.0f, 0.0f, 0.0f}}, {{0.9f, 0.0f, 0.0f, 0.0f}}});
  ASSERT_EQ(skin_->maxWeights, 1u);
  ASSERT_EQ(skin_->numUsedBones, 2u);
  // A lone weight below 1 still moves the vertex by its bone's whole matrix.
  weights_[1].w[0] = 1.0f;
  ExpectBlended(Blend(positions, normals), positions, normals, false);
}

TEST_F(SkinBlendTest, PaletteIsSharedWithinAFrameByHierarchySkinAndAtomicFrame) {
  MakeSkin({Bones(1, 0, 0, 0)}, {{{1.0f, 0.0f, 0.0f, 0.0f}}});
  MakeHierarchy(kBones, 0);
  const std::vector<RwV3d> positions(kPositions.begin(), kPositions.begin() + 1);
  const std::vector<RwV3d> normals(kNormals.begin(), kNormals.begin() + 1);
  const std::vector<Vertex> first = Blend(positions, normals);

  // A second atomic on the same frame: the palette of this frame is reused,
  // so a pose changed since is not seen.
  RpAtomic* twin = RpAtomicCreate();
  RpAtomicSetFrame(twin, frame_);
  const RwMatrix before = hierarchy_->pMatrixArray[1];
  hierarchy_->pMatrixArray[1] = poses_[3];
  std::swap(atomic_, twin);
  EXPECT_EQ(Blend(positions, normals)[0].position[0], first[0].position[0]);
  std::swap(atomic_, twin);

  // The next frame rebuilds.
  RwEngineInstance->renderFrame++;
  poses_[1] = poses_[3];
  ExpectBlended(Blend(positions, normals), positions, normals, false);

  // An atomic on another frame in the same frame rebuilds with its own inverse.
  hierarchy_->pMatrixArray[1] = before;
  RwFrame* other = RwFrameCreate();
  const RwV3d away = {10.0f, 0.0f, 0.0f};
  RwFrameTranslate(other, &away, kRwCombineReplace);
  RpAtomicSetFrame(twin, other);
  std::swap(atomic_, twin);
  std::swap(frame_, other);
  poses_[1] = before;
  ExpectBlended(Blend(positions, normals), positions, normals, false);
  std::swap(frame_, other);
  std::swap(atomic_, twin);
  RpAtomicDestroy(twin);
  RwFrameDestroy(other);
}

TEST_F(SkinBlendTest, BonesBeyondTheHierarchyStayInPlace) {
  MakeSkin({Bones(3, 0, 0, 0), Bones(1, 0, 0, 0)}, {{{1.0f, 0.0f, 0.0f, 0.0f}}, {{1.0f, 0.0f, 0.0f, 0.0f}}});
  MakeHierarchy(2, 0);
  const std::vector<RwV3d> positions(kPositions.begin(), kPositions.begin() + 2);
  const std::vector<RwV3d> normals(kNormals.begin(), kNormals.begin() + 2);
  const std::vector<Vertex> out = Blend(positions, normals);
  for (int c = 0; c < 3; c++) {
    EXPECT_EQ(out[0].position[c], (&positions[0].x)[c]);
    EXPECT_EQ(out[0].normal[c], (&normals[0].x)[c]);
  }
  // Bone 1 has a node and is posed.
  ExpectVertex(out, 1, positions, normals, false);
  // A hierarchy of more nodes than bones reads no matrix past the skin's.
  RpHAnimHierarchyDestroy(hierarchy_);
  MakeHierarchy(6, 0);
  RwEngineInstance->renderFrame++;
  ExpectBlended(Blend(positions, normals), positions, normals, false);
}

TEST_F(SkinBlendTest, SSEPathMatchesThePortablePathOnRandomSkins) {
  std::mt19937 rng(40);
  std::uniform_real_distribution<float> uniform(-4.0f, 4.0f);
  std::vector<RwV3d> positions(300);
  std::generate(positions.begin(), positions.end(), [&] { return RwV3d{uniform(rng), uniform(rng), uniform(rng)}; });
  const std::vector<RwV3d> normals(positions.rbegin(), positions.rend());
  MakeHierarchy(kBones, 0);
  // Row 0: one bone for all; row n: n weights, every 7th vertex's first one
  // full, every 3rd vertex's third one zero. Row 3 without normals.
  for (int row = 0; row <= 4; row++) {
    SCOPED_TRACE(row);
    std::vector<RwUInt32> bones(positions.size());
    std::vector<RpSkinVertexWeights> weights(positions.size());
    for (size_t i = 0; i < positions.size(); i++) {
      const bool full = row <= 1 || i % 7 == 0;
      for (int k = 0; k < std::max(row, 1); k++) {
        bones[i] |= (row == 0 ? 2u : rng() % kBones) << (8 * k);
        const bool zero = (full && k > 0) || (k == 2 && i % 3 == 0);
        weights[i].w[k] = zero ? 0.0f : full ? 1.0f : 0.05f + std::abs(uniform(rng));
      }
    }
    RpSkinDestroy(skin_);
    MakeSkin(bones, weights);
    std::vector<Vertex> out[2];
    for (const RpSkinBlendPath path : {RpSkinBlendPath::kPortable, RpSkinBlendPath::kSSE}) {
      _rpSkinSetBlendPath(path);
      out[path == RpSkinBlendPath::kSSE] = Blend(positions, row == 3 ? std::vector<RwV3d>{} : normals);
    }
    // One matrix: the same products in the same order; a blend sums the matrices first.
    for (size_t i = 0; i < positions.size() * 3; i++) {
      ASSERT_NEAR(out[1][i / 3].position[i % 3], out[0][i / 3].position[i % 3], row <= 1 ? 0.0f : 1e-5f) << i;
      ASSERT_NEAR(out[1][i / 3].normal[i % 3], out[0][i / 3].normal[i % 3], row <= 1 ? 0.0f : 1e-5f) << i;
    }
  }
}

TEST_F(SkinBlendTest, NativeSkinIsNotBlended) {
  MakeHierarchy(kBones, 0);
  RpSkin native = {};
  native.numBones = kBones;
  std::vector<Vertex> out(1, Vertex{{kUntouched, kUntouched, kUntouched}, {}, {}});
  EXPECT_EQ(_rpSkinPrepareMatrices(atomic_, &native, hierarchy_), nullptr);
  const RpSkinBlendRun run = {0, 1, nullptr, out.data(), sizeof(Vertex)};
  _rpSkinBlendVertices(&native, _rpSkinPalette(), kPositions.data(), nullptr, &run);
  EXPECT_EQ(out[0].position[0], kUntouched);
}

}  // namespace
