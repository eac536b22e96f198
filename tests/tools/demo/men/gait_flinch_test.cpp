// A demo man hit while he moves keeps his pace through the flinch: the gaits
// carry their root motion in two keys, which a model moves by under a
// one-shot overlay too.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/game/characters/men_fixture.h"

namespace {

using GaitFlinchTest = MenTest;

TEST_F(GaitFlinchTest, AFlinchKeepsTheGaitsPace) {
  LoadMenFile();
  const auto moved = [](const RwV3d& a, const RwV3d& b) { return std::hypot(a.x - b.x, a.z - b.z); };
  // Walk, walk back, run, sneak, strafe; flinches 31 and 32.
  for (const u32 gait : {10u, 11u, 8u, 4u, 12u}) {
    SCOPED_TRACE(gait);
    cMan* man = AddMan("dorvaman", kOpenFloor);
    man->GetModel()->SetAnim(gait, 0.0f);
    Advance(man, 0.1f);
    const RwV3d start = Position(man);
    Advance(man, 0.4f);
    const RwV3d plain = Position(man);
    man->GetModel()->StartTransition(31 + gait % 2);
    Advance(man, 0.4f);
    EXPECT_LT(0.1f, moved(start, plain));
    EXPECT_NEAR(moved(start, plain), moved(plain, Position(man)), 0.01f);
  }
}

}  // namespace
