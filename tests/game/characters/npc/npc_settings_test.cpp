// The "enemy" group read into the NPCs' shared settings.
#include <gtest/gtest.h>

#include "tests/game/characters/npc/npc_fixture.h"

namespace {

using NpcSettingsTest = NpcTest;

TEST_F(NpcSettingsTest, EnemyKeysOverDefaults) {
  const struct {
    const char* name;
    const char* keys;
    RwV3d eye;
    f32 period, period2, damage, damage2, limit2, seeDistance2;
  } rows[] = {
      {"no keys: the defaults", "", {0.0f, 0.9f, 0.0f}, 500, 1000, 0.2f, 0.4f, 0.8f, 20},
      {"two-number eye point", "PERCEPTOR_POINT = [0.2, 1.5]\n", {0.2f, 1.5f, 0.0f}, 500, 1000, 0.2f, 0.4f, 0.8f, 20},
      {"three numbers keep it",
       "PERCEPTOR_POINT = [0.2, 1.5, 3]\n",
       {0.0f, 0.9f, 0.0f},
       500,
       1000,
       0.2f,
       0.4f,
       0.8f,
       20},
      {"period in seconds", "SHOOT_PERIOD = 0.25\n", {0.0f, 0.9f, 0.0f}, 250, 500, 0.2f, 0.4f, 0.8f, 20},
      {"damage doubled for lightning",
       "SHOOT_DAMAGE = 0.3\nSHOOT_DAMAGE_LIMIT = 0.5\nSEE_DISTANCE2 = 7\n",
       {0.0f, 0.9f, 0.0f},
       500,
       1000,
       0.3f,
       0.6f,
       1.0f,
       7},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    cNpc::Settings().shootPeriod = 1.0f;  // a read starts from the defaults
    cPropertyFile file;
    file.ParseText(cString((std::string("[enemy]\n") + row.keys).c_str()));
    cNpc::ReadSettings(&file);
    const tNpcSettings& s = cNpc::Settings();
    EXPECT_FLOAT_EQ(row.eye.x, s.perceptorPoint.x);
    EXPECT_FLOAT_EQ(row.eye.y, s.perceptorPoint.y);
    EXPECT_FLOAT_EQ(0.0f, s.perceptorPoint.z);
    EXPECT_FLOAT_EQ(row.period, s.shootPeriod);
    EXPECT_FLOAT_EQ(row.period2, s.shootPeriod2);
    EXPECT_FLOAT_EQ(row.damage, s.shootDamage);
    EXPECT_FLOAT_EQ(row.damage2, s.shootDamage2);
    EXPECT_FLOAT_EQ(row.limit2, s.shootDamageLimit2);
    EXPECT_FLOAT_EQ(row.seeDistance2, s.seeDistance[2]);
    EXPECT_FLOAT_EQ(30.0f, s.seeDistance[0]);
    EXPECT_FLOAT_EQ(5.0f, s.hardHurtFactor);
  }
}

}  // namespace
