// The forge's plugin data: user-data arrays made through the user-data
// plugin's creation functions (on geometries, and through a scratch geometry
// for world sectors), and visibility bitmaps for worlds.
#include <algorithm>

#include "engine/plugin/pvs/rppvs.h"
#include "engine/plugin/userdata/userdata_internal.h"
#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace {

constexpr RwInt32 kBitsPerByte = 8;

RwInt32 ElementCount(const ForgeUserData& array) {
  const size_t count = array.format == rpSTRINGUSERDATA
                           ? array.strings.size()
                           : (array.format == rpREALUSERDATA ? array.reals.size() : array.ints.size());
  return count > 0 ? static_cast<RwInt32>(count) : 1;
}

bool SetElements(RpUserDataArray* array, const ForgeUserData& from) {
  for (size_t i = 0; i < from.ints.size() && from.format == rpINTUSERDATA; ++i) {
    RpUserDataArraySetInt(array, static_cast<RwInt32>(i), from.ints[i]);
  }
  for (size_t i = 0; i < from.reals.size() && from.format == rpREALUSERDATA; ++i) {
    RpUserDataArraySetFloat(array, static_cast<RwInt32>(i), from.reals[i]);
  }
  for (size_t i = 0; i < from.strings.size() && from.format == rpSTRINGUSERDATA; ++i) {
    const std::string& text = from.strings[i];
    if (!text.empty() && RpUserDataArraySetString(array, static_cast<RwInt32>(i), text.c_str()) == nullptr) {
      return false;
    }
  }
  return true;
}

// The user-data sub-chunk body of the arrays, as the plugin writes it.
bool UserDataBody(const std::vector<ForgeUserData>& arrays, std::vector<RwUInt8>* body) {
  RpGeometry* scratch = RpGeometryCreateEmpty(0.0f);
  const RwInt32 offset = RpGeometryGetPluginOffset(kRpUserDataPluginId);
  const bool made = scratch != nullptr && offset >= 0 && ForgeAddUserData(scratch, arrays);
  const bool written =
      made && ForgeEngineWritten(
                  [&](RwStream* stream) {
                    return _rpUserDataStreamWrite(stream, 0, scratch, offset, sizeof(RpUserDataList)) != nullptr;
                  },
                  body);
  if (scratch != nullptr) {
    RpGeometryDestroy(scratch);
  }
  return written;
}

}  // namespace

bool ForgeAddUserData(RpGeometry* geometry, const std::vector<ForgeUserData>& arrays) {
  for (const ForgeUserData& array : arrays) {
    const RwInt32 index = RpUserDataGeometryAddArray(geometry, array.name.empty() ? nullptr : array.name.c_str(),
                                                     array.format, ElementCount(array));
    if (index < 0 || !SetElements(RpUserDataGeometryGetArray(geometry, index), array)) {
      return false;
    }
  }
  return true;
}

ForgeWorldHook ForgeVisibilityHook(const std::vector<std::vector<RwUInt8>>& rows) {
  ForgeWorldHook hook;
  hook.world = [](const ForgeWorldLayout&, ForgeExtension* extension) {
    extension->push_back({kRpPVSPluginId, ForgeBytes().S32(1).S32(0).bytes()});
  };
  hook.sector = [rows](const ForgeWorldLayout& layout, const ForgeSector& sector, ForgeExtension* extension) {
    const size_t length = (layout.sectors.size() + kBitsPerByte - 1) / kBitsPerByte;
    std::vector<RwUInt8> bitmap(length, 0xFF);
    if (static_cast<size_t>(sector.index) < rows.size()) {
      const std::vector<RwUInt8>& row = rows[static_cast<size_t>(sector.index)];
      std::copy(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(std::min(row.size(), length)), bitmap.begin());
    }
    ForgeBytes body;
    body.S32(sector.index).S32(static_cast<RwInt32>(length)).S32(0).Bytes(bitmap);
    extension->push_back({kRpPVSPluginId, body.bytes()});
  };
  return hook;
}

ForgeWorldHook ForgeSectorUserDataHook(const std::function<std::vector<ForgeUserData>(const ForgeSector&)>& arrays) {
  ForgeWorldHook hook;
  hook.sector = [arrays](const ForgeWorldLayout&, const ForgeSector& sector, ForgeExtension* extension) {
    const std::vector<ForgeUserData> given = arrays(sector);
    std::vector<RwUInt8> body;
    if (!given.empty() && UserDataBody(given, &body)) {
      extension->push_back({kRpUserDataPluginId, body});
    }
  };
  return hook;
}
