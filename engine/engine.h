// The rendering engine's whole public interface: every type, constant and
// function of the core, the Direct3D 8 driver, the world module, plugins and
// toolkits that callers may use. Internals (_rw... names, module lifecycles)
// live in the *_internal.h headers beside each concept, which only the
// engine and its tests include.
#pragma once

// Core: instance, memory, plugins, streams, maths, frames, cameras, rasters,
// images, textures, pipelines and immediate mode.
#include "engine/src/camera.h"
#include "engine/src/engine_lifecycle.h"
#include "engine/src/frame.h"
#include "engine/src/image.h"
#include "engine/src/image_resample.h"
#include "engine/src/pipe/p2/im3d.h"
#include "engine/src/pipe/p2/pipeline.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/file_functions.h"
#include "engine/src/plcore/io_functions.h"
#include "engine/src/plcore/list.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/plugin_registry.h"
#include "engine/src/plcore/resmem.h"
#include "engine/src/plcore/stream.h"
#include "engine/src/plcore/vector.h"
#include "engine/src/raster.h"
#include "engine/src/texture.h"
#include "engine/src/texture_stream.h"

// Direct3D 8 driver.
#include "engine/driver/d3d8/d3d8_camera.h"
#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/driver/d3d8/d3d8_im2d.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/driver/d3d8/d3d8convert.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/driver/d3d8/d3d8texture_native.h"
#include "engine/driver/d3d8/dxt.h"
#include "engine/driver/d3d8/palquant.h"

// World module: geometry, materials, meshes, lights, atomics, clumps and worlds.
#include "engine/world/atomic.h"
#include "engine/world/clump.h"
#include "engine/world/geometry.h"
#include "engine/world/light.h"
#include "engine/world/material.h"
#include "engine/world/material_list.h"
#include "engine/world/mesh.h"
#include "engine/world/world.h"
#include "engine/world/world_attach.h"
// Direct3D 8 pipelines of the world module.
#include "engine/world/pipe/p2/d3d8/d3d8_all_in_one.h"
#include "engine/world/pipe/p2/d3d8/d3d8_atomic_pipeline.h"
#include "engine/world/pipe/p2/d3d8/d3d8_instance.h"
#include "engine/world/pipe/p2/d3d8/d3d8_lights.h"
#include "engine/world/pipe/p2/d3d8/d3d8_native.h"
#include "engine/world/pipe/p2/d3d8/d3d8_vertex_buffer_manager.h"
#include "engine/world/pipe/p2/d3d8/d3d8_world_sector_pipeline.h"
#include "engine/world/pipe/p2/d3d8/world_pipe.h"
#include "engine/world/world_object.h"
// Plugins.
#include "engine/plugin/matfx/rpmatfx.h"
#include "engine/plugin/collis/rpcollis.h"
#include "engine/plugin/dmorph/rpdmorph.h"
#include "engine/plugin/lodatm/rplodatm.h"
#include "engine/plugin/morph/rpmorph.h"
#include "engine/plugin/hanim/rphanim.h"
#include "engine/plugin/pvs/rppvs.h"
#include "engine/plugin/random/rprandom.h"
#include "engine/plugin/skin2/rpskin.h"
#include "engine/plugin/spline/rpspline.h"
#include "engine/plugin/userdata/rpuserdata.h"

// Toolkits.
#include "engine/tool/anim/rtanim.h"
#include "engine/tool/2d/rt2d.h"
#include "engine/tool/bmp/rtbmp.h"
#include "engine/tool/charse/rtcharse.h"
#include "engine/tool/intsec/rtintsec.h"
#include "engine/tool/png/rtpng.h"
