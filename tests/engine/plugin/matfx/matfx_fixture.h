// The engine started on the Direct3D 8 stand-in with the world module and the
// material-effects plugin attached and counting memory; textures with real
// pixels, a current dictionary, and material chunk round trips.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/plugin/matfx/matfx_internal.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/clump_builder.h"
#include "tests/support/counting_memory.h"
#include "tests/support/d3d8_camera_engine.h"
#include "tests/support/first_atomic.h"

namespace matfx_test {

// 0xAARRGGBB of pixel (x, y).
typedef std::function<RwUInt32(RwInt32 x, RwInt32 y)> PixelFunction;

inline RwTexture* NoTexture(const RwChar*, const RwChar*) { return nullptr; }

// Each channel of a read-back pixel within tolerance of the wanted shade.
inline ::testing::AssertionResult ShadeNear(uint32_t actual, uint32_t wanted, int tolerance = 3) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int got = static_cast<int>((actual >> shift) & 0xFF);
    const int want = static_cast<int>((wanted >> shift) & 0xFF);
    if (got - want > tolerance || want - got > tolerance) {
      return ::testing::AssertionFailure() << std::hex << "pixel 0x" << actual << ", wanted about 0x" << wanted;
    }
  }
  return ::testing::AssertionSuccess();
}

class MatFXTest : public CameraDriverTest {
 protected:
  static constexpr RwUInt8 kClearShade = 0x10;

  void TearDown() override {
    StopEngine();
    CameraDriverTest::TearDown();
  }

  // Destroys what the test made, checks that the engine's blocks are back to
  // what they were after the start, and shuts the engine down.
  void StopEngine() {
    for (RpClump* clump : clumps_) {
      RpClumpDestroy(clump);
    }
    clumps_.clear();
    for (RpGeometry* geometry : geometries_) {
      RpGeometryDestroy(geometry);
    }
    geometries_.clear();
    for (RpMaterial* material : materials_) {
      RpMaterialDestroy(material);
    }
    materials_.clear();
    for (RwTexture* texture : textures_) {
      RwTextureDestroy(texture);
    }
    textures_.clear();
    if (dictionary_ != nullptr) {
      RwTexDictionaryDestroy(dictionary_);
      dictionary_ = nullptr;
    }
    if (RwEngineInstance != nullptr && RwEngineInstance->engineStatus == kRwEngineStatusStarted) {
      EXPECT_EQ(LiveBlocks(), startBlocks_) << "engine blocks left behind";
    }
    ShutDown();
  }

  // Init with counting memory, the world module and the plugin, open,
  // windowed, start and a camera. Texture chunks that name no texture of the
  // current dictionary are not found.
  void Start(d3d8test::CapsProfile profile = d3d8test::CapsProfile::Full) {
    d3d8test::SetCapsProfile(profile);
    CountingMemoryReset();
    ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 1 << 22));
    ASSERT_TRUE(RpWorldPluginAttach());
    ASSERT_TRUE(RpMatFXPluginAttach());
    RwEngineOpenParams params = {&window_};
    ASSERT_TRUE(RwEngineOpen(&params));
    ASSERT_TRUE(RwEngineSetVideoMode(0));
    ASSERT_TRUE(RwEngineStart());
    RwTextureSetReadCallBack(NoTexture);
    TakeError();
    startBlocks_ = LiveBlocks();
    camera_ = MakeCamera(kRwRasterTypeCameraFlags);
    ASSERT_NE(camera_, nullptr);
  }

  static int LiveBlocks() { return CountingMemoryLiveBlocks(); }

  // A material the fixture destroys.
  RpMaterial* Material(RwUInt32 effects = kRpMatFXEffectNull) {
    RpMaterial* material = RpMaterialCreate();
    EXPECT_NE(material, nullptr);
    if (effects != kRpMatFXEffectNull) {
      EXPECT_NE(RpMatFXMaterialSetEffects(material, effects), nullptr);
    }
    materials_.push_back(material);
    return material;
  }

  // A texture of the name with a 32-bit raster of the pixels (none for a
  // size of 0), in the current dictionary when inDictionary is set (which
  // then owns it), else released by the fixture.
  RwTexture* Texture(const char* name, RwInt32 width, RwInt32 height, const PixelFunction& pixel,
                     bool inDictionary = true, RwUInt32 formatBits = 0) {
    RwRaster* raster = width > 0 ? Raster(width, height, pixel, formatBits) : nullptr;
    RwTexture* texture = RwTextureCreate(raster);
    EXPECT_NE(texture, nullptr);
    RwTextureSetName(texture, name);
    if (inDictionary) {
      RwTexDictionaryAddTexture(Dictionary(), texture);
    } else {
      textures_.push_back(texture);
    }
    return texture;
  }

  RwTexture* Plain(const char* name, RwUInt32 colour = 0xFF808080, RwInt32 size = 4, bool inDictionary = true) {
    return Texture(
        name, size, size, [colour](RwInt32, RwInt32) { return colour; }, inDictionary);
  }

  // The current dictionary, made on first use.
  RwTexDictionary* Dictionary() {
    if (dictionary_ == nullptr) {
      dictionary_ = RwTexDictionaryCreate();
      RwTexDictionarySetCurrent(dictionary_);
    }
    return dictionary_;
  }

  // Pixel (x, y) of the texture's raster as 0xAARRGGBB.
  static RwUInt32 Texel(RwTexture* texture, RwInt32 x, RwInt32 y) {
    RwRaster* raster = texture->raster;
    RwImage* image = RwImageCreate(raster->width, raster->height, 32);
    RwImageAllocatePixels(image);
    RwImageSetFromRaster(image, raster);
    const RwUInt8* p = image->pixels + y * image->stride + 4 * x;
    const RwUInt32 argb = (RwUInt32{p[3]} << 24) | (RwUInt32{p[0]} << 16) | (RwUInt32{p[1]} << 8) | p[2];
    RwImageDestroy(image);
    return argb;
  }

  // A square of side 2 at distance z in front of the camera, facing it, as
  // two triangles of the material: u along x, v down y, normals towards the
  // camera. The fixture destroys it.
  RpGeometry* Square(RpMaterial* material, RwUInt32 format = rpGEOMETRYNORMALS | rpGEOMETRYTEXTURED | rpGEOMETRYLIGHT,
                     RwReal z = 5.0f) {
    RpGeometry* geometry = RpGeometryCreate(4, 2, format);
    EXPECT_NE(geometry, nullptr);
    const RwV3d corners[4] = {{-1, 1, z}, {1, 1, z}, {-1, -1, z}, {1, -1, z}};
    const RwTexCoords uv[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (int i = 0; i < 4; i++) {
      geometry->morphTarget[0].verts[i] = corners[i];
      if (geometry->morphTarget[0].normals != nullptr) {
        geometry->morphTarget[0].normals[i] = {0, 0, -1};
      }
      if (geometry->texCoords[0] != nullptr) {
        geometry->texCoords[0][i] = uv[i];
      }
      if (geometry->texCoords[1] != nullptr) {
        geometry->texCoords[1][i] = uv[i];
      }
      if (geometry->preLitLum != nullptr) {
        geometry->preLitLum[i] = {255, 255, 255, 255};
      }
    }
    RpMaterialListAppendMaterial(&geometry->matList, material);
    geometry->triangles[0] = {{0, 1, 2}, 0};
    geometry->triangles[1] = {{2, 1, 3}, 0};
    RpGeometryUnlock(geometry);
    geometries_.push_back(geometry);
    return geometry;
  }

  // One frame of the clumps made so far, culling off; false when the camera
  // cannot begin or a clump fails to render.
  bool Frame() {
    return DrawFrame({kClearShade, kClearShade, kClearShade, 255}, [this] {
      bool drawn = true;
      for (RpClump* clump : clumps_) {
        drawn = RpClumpRender(clump) != nullptr && drawn;
      }
      return drawn;
    });
  }

  // The frame's centre as 0xRRGGBB.
  static uint32_t Centre() { return BackBufferPixel(kWidth / 2, kHeight / 2); }

  // Destroyed with the fixture (null passes through).
  RpClump* KeepClump(RpClump* clump) {
    if (clump != nullptr) {
      clumps_.push_back(clump);
    }
    return clump;
  }

  // A clump with one atomic of the geometry on a frame at the origin.
  RpClump* OneAtomicClump(RpGeometry* geometry) {
    RpClump* clump = KeepClump(RpClumpCreate());
    RwFrame* frame = RwFrameCreate();
    RpClumpSetFrame(clump, frame);
    AddClumpAtomic(clump, frame, geometry, rpATOMICRENDER);
    return clump;
  }

  static std::vector<uint8_t> WrittenMaterial(const RpMaterial* material) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(
        WriteToMemory([material](RwStream* s) { return RpMaterialStreamWrite(material, s) != nullptr; }, &bytes));
    return bytes;
  }

  // The material chunk read back, destroyed with the fixture; null when the
  // read failed.
  RpMaterial* ReadMaterial(const std::vector<uint8_t>& bytes) {
    RwStream* stream = OpenMemoryRead(bytes);
    RpMaterial* material =
        RwStreamFindChunk(stream, kRwChunkMaterial, nullptr, nullptr) ? RpMaterialStreamRead(stream) : nullptr;
    RwStreamClose(stream, nullptr);
    if (material != nullptr) {
      materials_.push_back(material);
    }
    return material;
  }

 private:
  static RwRaster* Raster(RwInt32 width, RwInt32 height, const PixelFunction& pixel, RwUInt32 formatBits) {
    RwImage* image = RwImageCreate(width, height, 32);
    RwImageAllocatePixels(image);
    for (RwInt32 y = 0; y < height; y++) {
      for (RwInt32 x = 0; x < width; x++) {
        const RwUInt32 argb = pixel(x, y);
        RwUInt8* p = image->pixels + y * image->stride + 4 * x;
        p[0] = static_cast<RwUInt8>(argb >> 16);
        p[1] = static_cast<RwUInt8>(argb >> 8);
        p[2] = static_cast<RwUInt8>(argb);
        p[3] = static_cast<RwUInt8>(argb >> 24);
      }
    }
    RwInt32 w = 0;
    RwInt32 h = 0;
    RwInt32 depth = 0;
    RwUInt32 format = 0;
    RwImageFindRasterFormat(image, rwRASTERTYPETEXTURE | formatBits, &w, &h, &depth, &format);
    RwRaster* raster = RwRasterCreate(w, h, depth, format | formatBits);
    EXPECT_NE(raster, nullptr);
    EXPECT_NE(RwRasterSetFromImage(raster, image), nullptr);
    RwImageDestroy(image);
    return raster;
  }

  std::vector<RpClump*> clumps_;
  std::vector<RpGeometry*> geometries_;
  std::vector<RpMaterial*> materials_;
  std::vector<RwTexture*> textures_;
  RwTexDictionary* dictionary_ = nullptr;
  int startBlocks_ = 0;
};

}  // namespace matfx_test
