// Seeds of the engine's stream fuzz targets: frame lists, matrices, cameras
// and extensions written by the engine's own stream writers, and texture
// dictionaries built by the native texture builder in every pixel format.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/engine.h"
#include "engine/src/engine_internal.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/native_texture_bytes.h"

namespace {

// The frame plugin engine_stream_fuzz registers: a word under this id,
// streamed when it is not zero, so that frame-list seeds carry its sub-chunk.
constexpr RwUInt32 kFramePluginId = 0x1F0;
RwInt32 gFrameWordOffset = -1;

RwStream* WriteFrameWord(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  return RwStreamWriteInt32(stream, RwPluginDataGetConst(RwInt32, object, offset), 4);
}

RwInt32 FrameWordSize(const void* object, RwInt32 offset, RwInt32) {
  return *RwPluginDataGetConst(RwInt32, object, offset) != 0 ? 4 : 0;
}

// A hierarchy of count frames, each the child of the one before when chain
// is set, else all children of the root; every second frame carries a word.
RwFrame* MakeFrames(int count, bool chain) {
  RwFrame* root = RwFrameCreate();
  RwFrame* parent = root;
  for (int i = 1; i < count; ++i) {
    RwFrame* frame = RwFrameCreate();
    const RwV3d offset = {static_cast<RwReal>(i), 0.5f * static_cast<RwReal>(i), -2.0f};
    const RwV3d axis = {0.0f, 1.0f, 0.0f};
    RwFrameTranslate(frame, &offset, kRwCombineReplace);
    RwFrameRotate(frame, &axis, 30.0f * static_cast<RwReal>(i), kRwCombinePostConcat);
    *RwPluginDataGet(RwInt32, frame, gFrameWordOffset) = i % 2 == 0 ? 0 : 0x1000 + i;
    RwFrameAddChild(parent, frame);
    if (chain) {
      parent = frame;
    }
  }
  return root;
}

std::vector<uint8_t> FrameListBytes(int count, bool chain) {
  RwFrame* root = MakeFrames(count, chain);
  RwFrameList list;
  RwFrameListInitialize(&list, root);
  const std::vector<uint8_t> bytes =
      EngineWritten([&](RwStream* stream) { return RwFrameListStreamWrite(&list, stream); });
  RwFrameListDeinitialize(&list);
  RwFrameDestroyHierarchy(root);
  return bytes;
}

std::vector<uint8_t> MatrixBytes() {
  RwMatrix* matrix = RwMatrixCreate();
  const RwV3d axis = {1.0f, 1.0f, 0.0f};
  const RwV3d offset = {3.0f, -4.0f, 5.0f};
  RwMatrixRotate(matrix, &axis, 45.0f, kRwCombineReplace);
  RwMatrixTranslate(matrix, &offset, kRwCombinePostConcat);
  const std::vector<uint8_t> bytes =
      EngineWritten([&](RwStream* stream) { return RwMatrixStreamWrite(matrix, stream); });
  RwMatrixDestroy(matrix);
  return bytes;
}

// The camera reader starts at the struct chunk inside the camera chunk.
std::vector<uint8_t> CameraBody(RwInt32 projection, RwReal window, RwReal nearPlane, RwReal farPlane) {
  RwCamera* camera = RwCameraCreate();
  const RwV2d view = {window, 0.75f * window};
  const RwV2d offset = {0.1f, -0.2f};
  RwCameraSetProjection(camera, projection);
  RwCameraSetViewWindow(camera, &view);
  RwCameraSetViewOffset(camera, &offset);
  RwCameraSetNearClipPlane(camera, nearPlane);
  RwCameraSetFarClipPlane(camera, farPlane);
  RwCameraSetFogDistance(camera, 0.5f * farPlane);
  std::vector<uint8_t> bytes = EngineWritten([&](RwStream* stream) { return RwCameraStreamWrite(camera, stream); });
  RwCameraDestroy(camera);
  bytes.erase(bytes.begin(), bytes.begin() + 12);
  return bytes;
}

std::vector<uint8_t> Concatenated(std::vector<uint8_t> first, const std::vector<uint8_t>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// An extension chunk around the sub-chunks.
std::vector<uint8_t> Extension(const ChunkBytes& inside) {
  ChunkBytes bytes;
  bytes.Header(kRwChunkExtension, static_cast<uint32_t>(inside.size())).Bytes(inside.bytes());
  return bytes.bytes();
}

// Bytes of one level of a texture: 4x4 blocks for compressed ones.
std::vector<uint8_t> LevelBytes(int width, int height, int bytesPerPixel, int compression) {
  if (compression != 0) {
    const int blocks = ((width + 3) / 4) * ((height + 3) / 4);
    std::vector<uint8_t> level(static_cast<size_t>(blocks) * (compression == 1 ? 8 : 16));
    for (size_t i = 0; i < level.size(); ++i) {
      level[i] = static_cast<uint8_t>(i * 37 + 5);
    }
    return level;
  }
  std::vector<uint8_t> level(static_cast<size_t>(width) * height * bytesPerPixel);
  for (size_t i = 0; i < level.size(); ++i) {
    level[i] = static_cast<uint8_t>(i * 13 + 1);
  }
  return level;
}

NativeTextureDescription Texture(const char* name, uint32_t format, int bytesPerPixel, int levels, int compression) {
  NativeTextureDescription description;
  description.name = name;
  description.format = format | (levels > 1 ? rwRASTERFORMATMIPMAP : 0);
  description.width = 8;
  description.height = 4;
  description.depth = static_cast<uint8_t>(compression != 0 ? 16 : bytesPerPixel * 8);
  description.levels = static_cast<uint8_t>(levels);
  description.compression = static_cast<uint8_t>(compression);
  if (format & rwRASTERFORMATPAL8) {
    description.palette.assign(1024, 0);
  } else if (format & rwRASTERFORMATPAL4) {
    description.palette.assign(128, 0);
    description.depth = 4;
  }
  for (size_t i = 0; i < description.palette.size(); ++i) {
    description.palette[i] = static_cast<uint8_t>(i * 7);
  }
  for (int level = 0; level < levels; ++level) {
    const int width = description.width >> level > 0 ? description.width >> level : 1;
    const int height = description.height >> level > 0 ? description.height >> level : 1;
    description.levelBytes.push_back(LevelBytes(width, height, bytesPerPixel, compression));
  }
  return description;
}

std::vector<uint8_t> Dictionary(const std::vector<NativeTextureDescription>& textures) {
  const ChunkBytes body = TexDictionaryBody(textures);
  ChunkBytes bytes;
  bytes.Header(kRwChunkTexDictionary, static_cast<uint32_t>(body.size())).Bytes(body.bytes());
  return bytes.bytes();
}

}  // namespace

void StartSeedEngine() {
  static bool started = false;
  if (started) {
    return;
  }
  // The world module first, then animation, skins and the plugins, as the game attaches them.
  started = fakedevice::Init(nullptr, 0) && RpWorldPluginAttach() && RtAnimPluginAttach() && RpHAnimPluginAttach() &&
            RpCollisionPluginAttach() && RpSkinPluginAttach() && RpMatFXPluginAttach() && RpUserDataPluginAttach() &&
            RpPVSPluginAttach() && RpLODAtomicPluginAttach() && RpMorphPluginAttach() && RpDMorphPluginAttach();
  if (started) {
    gFrameWordOffset = RwFrameRegisterPlugin(sizeof(RwInt32), kFramePluginId, nullptr, nullptr, nullptr);
    started = gFrameWordOffset >= 0 &&
              RwFrameRegisterPluginStream(kFramePluginId, nullptr, WriteFrameWord, FrameWordSize) >= 0 &&
              fakedevice::OpenAndStart();
  }
  if (!started) {
    std::fprintf(stderr, "fuzz_seeds: the engine did not start\n");
    std::abort();
  }
}

std::vector<uint8_t> EngineWritten(const std::function<bool(RwStream*)>& write) {
  std::vector<uint8_t> bytes;
  if (!WriteToMemory(write, &bytes)) {
    std::fprintf(stderr, "fuzz_seeds: an engine writer failed\n");
    std::abort();
  }
  return bytes;
}

TK_FUZZ_SEEDS(engine_stream_fuzz) {
  StartSeedEngine();
  seeds.Add("one_frame.bin", FrameListBytes(1, false));
  seeds.Add("frame_chain.bin", FrameListBytes(5, true));
  seeds.Add("frame_fan.bin", FrameListBytes(4, false));
  seeds.Add("matrix.bin", MatrixBytes());
  seeds.Add("frames_and_matrix.bin", Concatenated(FrameListBytes(3, true), MatrixBytes()));
}

TK_FUZZ_SEEDS(engine_camera_fuzz) {
  StartSeedEngine();
  seeds.Add("perspective.bin", CameraBody(kRwCameraPerspective, 1.0f, 0.1f, 100.0f));
  seeds.Add("parallel.bin", CameraBody(kRwCameraParallel, 20.0f, 1.0f, 500.0f));
}

TK_FUZZ_SEEDS(engine_extension_fuzz) {
  const std::vector<uint8_t> word = {0x78, 0x56, 0x34, 0x12};
  ChunkBytes nested;
  nested.Header(0x102, 4).Bytes(word);
  ChunkBytes all;
  all.Header(0x101, 8).Bytes({1, 2, 3, 4, 5, 6, 7, 8});
  all.Header(0x102, 4).Bytes(word);
  all.Header(0x103, static_cast<uint32_t>(nested.size() + 12)).Bytes(Extension(nested));
  all.Header(0x104, 0);
  all.Header(0x7FF, 4).Bytes(word);  // a plugin nobody registered: skipped
  seeds.Add("every_plugin.bin", Extension(all));
  ChunkBytes word_only;
  word_only.Header(0x102, 4).Bytes(word);
  seeds.Add("one_word.bin", Extension(word_only));
  seeds.Add("empty.bin", Extension(ChunkBytes()));
}

TK_FUZZ_SEEDS(engine_txd_fuzz) {
  struct Format {
    const char* name;
    uint32_t format;
    int bytesPerPixel;
    int levels;
    int compression;
  };
  const Format formats[] = {
      {"8888", rwRASTERFORMAT8888, 4, 1, 0},
      {"888", rwRASTERFORMAT888, 4, 2, 0},
      {"565", rwRASTERFORMAT565, 2, 4, 0},
      {"1555", rwRASTERFORMAT1555, 2, 1, 0},
      {"4444", rwRASTERFORMAT4444, 2, 1, 0},
      {"555", rwRASTERFORMAT555, 2, 1, 0},
      {"lum8", rwRASTERFORMATLUM8, 1, 1, 0},
      {"pal8", rwRASTERFORMATPAL8 | rwRASTERFORMAT8888, 1, 1, 0},
      {"pal4", rwRASTERFORMATPAL4 | rwRASTERFORMAT8888, 1, 1, 0},
      {"dxt1", rwRASTERFORMAT565, 2, 3, 1},
      {"dxt3", rwRASTERFORMAT4444, 2, 1, 3},
      {"dxt5", rwRASTERFORMAT4444, 2, 2, 5},
  };
  std::vector<NativeTextureDescription> all;
  for (const Format& format : formats) {
    const NativeTextureDescription texture =
        Texture(format.name, format.format, format.bytesPerPixel, format.levels, format.compression);
    seeds.Add(std::string(format.name) + ".txd", Dictionary({texture}));
    all.push_back(texture);
  }
  all[1].mask = "wallmask";
  seeds.Add("several.txd", Dictionary({all[0], all[1], all[7], all[9]}));
}
