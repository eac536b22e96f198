// Seeds of the world reader and the forge's own readers: small forged worlds
// in every struct layout, with single and separate plane values, every
// vertex array and plugin sub-chunks in the extensions (visibility and user
// data among them); scene texts; and
// forged worlds and clumps for the chunk listing.
#include <string>

#include "tests/fuzz/seeds/level01_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tools/forge/forge.h"

namespace {

// Boxes and a grid: a few sectors under a few planes.
ForgeSoup SmallSoup() {
  ForgeSoup soup;
  soup.materials.resize(3);
  soup.materials[1].texture = "stone";
  soup.materials[2].color = {10, 20, 30, 128};
  ForgeAddGrid(&soup, {-20.0f, 0.0f, -20.0f}, 40.0f, 3, 0);
  ForgeAddBox(&soup, {-15.0f, 0.0f, -15.0f}, {-10.0f, 5.0f, -10.0f}, 1);
  ForgeAddBox(&soup, {10.0f, 0.0f, 10.0f}, {12.0f, 8.0f, 14.0f}, 2);
  return soup;
}

std::vector<uint8_t> World(RwUInt32 version, RwUInt32 flags, RwInt32 sets, bool extensions = false) {
  ForgeWorldOptions options;
  options.version = version;
  options.flags = flags;
  options.texCoordSets = sets;
  options.maxSectorTriangles = 8;
  if (extensions) {
    ForgeWorldHook hook;
    hook.sector = [](const ForgeWorldLayout&, const ForgeSector& sector, ForgeExtension* extension) {
      extension->push_back({kRwChunkRightToRender, {0x20, 1, 0, 0, static_cast<RwUInt8>(sector.index), 0, 0, 0}});
    };
    hook.world = [](const ForgeWorldLayout&, ForgeExtension* extension) {
      extension->push_back({kRwChunkRightToRender, {0x20, 1, 0, 0}});
    };
    options.hooks = {hook};
  }
  return ForgeWorldBytes(SmallSoup(), options);
}

}  // namespace

TK_FUZZ_SEEDS(engine_world_fuzz) {
  StartSeedEngine();
  seeds.Add("current.bsp", World(kRwLibraryVersion, rpWORLDSECTORSOVERLAP, 0));
  seeds.Add("arrays.bsp", World(kRwLibraryVersion, rpWORLDSECTORSOVERLAP | rpWORLDNORMALS | rpWORLDPRELIT, 2, true));
  seeds.Add("strips_single.bsp", World(0x34003, rpWORLDTRISTRIP | rpWORLDNORMALS, 1));
  seeds.Add("long_no_box.bsp", World(0x34002, rpWORLDSECTORSOVERLAP | rpWORLDPRELIT, 1));
  seeds.Add("short.bsp", World(0x33000, rpWORLDSECTORSOVERLAP, 8));
  ForgeSoup one;
  one.materials.resize(1);
  ForgeAddBox(&one, {0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 0);
  seeds.Add("root_sector.bsp", ForgeWorldBytes(one, ForgeWorldOptions()));
  // Visibility of every sector from every other but the first, and user data on each sector.
  ForgeWorldOptions plugins;
  plugins.maxSectorTriangles = 8;
  plugins.hooks.push_back(ForgeVisibilityHook({{0x01}}));
  plugins.hooks.push_back(ForgeSectorUserDataHook([](const ForgeSector& sector) {
    return std::vector<ForgeUserData>{{"index", rpINTUSERDATA, {sector.index}, {}, {}},
                                      {"name", rpSTRINGUSERDATA, {}, {}, {"sector", ""}},
                                      {"", rpREALUSERDATA, {}, {1.5f}, {}}};
  }));
  seeds.Add("plugins.bsp", ForgeWorldBytes(SmallSoup(), plugins));
  AddLevel01Seeds(seeds, ".bsp");
}

TK_FUZZ_SEEDS(tools_forge_scene_fuzz) {
  seeds.Add("boxes.txt",
            "# two boxes on a floor\nnormals\ntexcoords 1\nsector 8\nmaterial 200 200 200 255 texture floor\n"
            "material 255 0 0 255 mask m surface 1 0.5 0.25\ngrid -10 0 -10 20 4 0\nbox 0 0 0 2 2 2 1\n");
  seeds.Add("triangles.txt",
            "version 0x34002\nplanes single\nprelit\norigin 1 2 3\ndepth 4\nmaterial 1 2 3 4\n"
            "vertex 0 0 0 normal 0 1 0 prelight 1 2 3 4 uv 0 0 uv 1 1\nvertex 1 0 0\nvertex 0 0 1\n"
            "triangle 0 1 2 0\n");
}

TK_FUZZ_SEEDS(tools_forge_dump_fuzz) {
  StartSeedEngine();
  seeds.Add("world.bsp", World(kRwLibraryVersion, rpWORLDSECTORSOVERLAP | rpWORLDNORMALS, 1, true));
  ForgePart part;
  part.material.texture = "skin";
  std::vector<ForgePart> parts(2, part);
  parts[1].parent = 0;
  parts[1].shape = kForgeShapeGrid;
  seeds.Add("clump.dff", EngineWritten([&parts](RwStream* stream) { return ForgeWriteClump(stream, parts); }));
}
