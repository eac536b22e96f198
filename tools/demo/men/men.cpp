// Writing the men's files and the groups of "men.txt" that name them.
#include "tools/demo/men/men.h"

#include <cstdio>

#include "tools/demo/implants/implants.h"
#include "tools/forge/forge_bytes.h"

namespace demo {
namespace men {

namespace {

std::string List(const std::vector<std::string>& elements) {
  std::string text = "[";
  for (size_t i = 0; i < elements.size(); i++) {
    text += (i == 0 ? "" : ", ") + elements[i];
  }
  return text + "]";
}

std::string Times(float (*time)(int)) {
  std::vector<std::string> elements;
  for (int slot = 0; slot < kAnimationCount; slot++) {
    char value[16];
    std::snprintf(value, sizeof(value), "%.3f", static_cast<double>(time(slot)));
    elements.push_back(value);
  }
  return List(elements);
}

// The capsule's lower tip stays over the floor, whose touch would block
// every step; its radius, wider than the shoulders (0.27 each side), keeps
// walls and other men off the swinging arms.
constexpr float kCapsuleBottom = 0.4f;
constexpr float kCapsuleRadius = 0.4f;

}  // namespace

std::string AnimDataGroup() {
  return std::string("[animdata]\nPATH = ") + kAnimationFolder + "\nANM = " + List(AnimationNames()) +
         "\nLEFT_FOOT_TOUCH = " + Times(LeftFootTime) + "\nRIGHT_FOOT_TOUCH = " + Times(RightFootTime) + "\n";
}

std::string BodyKeys() { return "START_ANIM_INDEX = 0\nGLOBAL_BLEND_TIME = 0.2\nGLOBAL_ANIM_SPEED = 1.0\n"; }

std::string BodyGroups(const std::vector<std::string>& skip) {
  std::string text;
  for (const std::string& body : BodyNames()) {
    bool skipped = false;
    for (const std::string& other : skip) {
      skipped = skipped || other == body;
    }
    if (!skipped) {
      text += "\n[" + body + "]\n" + BodyKeys();
    }
  }
  return text;
}

std::string CollisionCapsuleGroup() {
  char text[96];
  std::snprintf(text, sizeof(text), "[CollisionCapsule]\nP0 = %.2f\nP1 = %.2f\nRADIUS = %.2f\n",
                static_cast<double>(kCapsuleBottom), static_cast<double>(BodyHeight()),
                static_cast<double>(kCapsuleRadius));
  return text;
}

bool WriteMen(DataFolder& data) {
  for (size_t body = 0; body < BodyNames().size(); body++) {
    std::vector<uint8_t> bytes;
    if (!ForgeEngineWritten(
            [body](RwStream* stream) { return ForgeWriteAndDestroyClump(stream, BodyCreate(static_cast<int>(body))); },
            &bytes)) {
      return false;
    }
    data.Write(BodyPath(BodyNames()[body]), std::move(bytes));
    for (const auto& [path, picture] : BodyTextures(BodyNames()[body])) {
      data.Write(path, BmpFile(picture));
    }
  }
  for (int slot = 0; slot < kAnimationCount; slot++) {
    std::vector<uint8_t> bytes;
    const ForgeAnimation animation = Animation(slot);
    if (!ForgeEngineWritten([&animation](RwStream* stream) { return ForgeWriteAnimation(stream, animation); },
                            &bytes)) {
      return false;
    }
    data.Write(std::string(kAnimationFolder) + AnimationNames()[static_cast<size_t>(slot)] + ".anm", std::move(bytes));
  }
  // The player carries the implants.
  return WriteImplantModels(data);
}

}  // namespace men
}  // namespace demo
