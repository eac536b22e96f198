// A demo man hit while he moves keeps moving through his flinch: the gaits
// carry their root motion in two keys, which a model moves by under a
// one-shot overlay as well.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/game/characters/men_fixture.h"

namespace {

using GaitFlinchTest = MenTest;

f32 Distance(const RwV3d& a, const RwV3d& b) { return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.z - b.z) * (a.z - b.z)); }

TEST_F(GaitFlinchTest, AFlinchKeepsTheGaitsPace) {
  LoadMenFile();
  struct Row {
    const char* name;
    u32 gait;
    u32 flinch;
  };
  const Row rows[] = {{"walk", 10, 31}, {"walk back", 11, 32}, {"run", 8, 32}, {"sneak", 4, 31}, {"strafe", 12, 31}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    cMan* man = AddMan("dorvaman", kOpenFloor);
    man->GetModel()->SetAnim(row.gait, 0.0f);
    Advance(man, 0.1f);
    const RwV3d start = Position(man);
    Advance(man, 0.4f);
    const RwV3d plain = Position(man);
    man->GetModel()->StartTransition(row.flinch);
    Advance(man, 0.4f);
    const f32 paced = Distance(start, plain);
    EXPECT_LT(0.1f, paced);
    EXPECT_NEAR(paced, Distance(plain, Position(man)), 0.01f);
  }
}

}  // namespace
