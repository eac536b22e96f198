// Tests of envelopes: the three forms read from property values, their
// values and times, and the fatal evaluation outside their keys.
#include "game/render/effects/envelope.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/game/render/particles/particle_fixture.h"

namespace {

TEST(EnvelopeTest, ValuesReadAsConstantsLinesAndTables) {
  struct Case {
    const char* text;
    f32 start;
    f32 end;
    f32 at;
    f32 value;
  };
  const Case cases[] = {
      {"2.5", 0.0f, kEnvelopeConstantEnd, 123.0f, 2.5f},
      {"[7]", 0.0f, kEnvelopeConstantEnd, 0.5f, 0.0f},  // a one-item list is a constant of no number
      {"[{0,10},{2,20}]", 0.0f, 2.0f, 0.5f, 12.5f},
      {"[ {1, 4} , {1, 8} ]", 1.0f, 1.0f, 1.0f, 4.0f},  // two keys at one time: the first value
      {"[{0,0},{1,10},{3,0}]", 0.0f, 3.0f, 2.0f, 5.0f},
      {"[{0,0},{1,10},{3,0}]", 0.0f, 3.0f, 3.0f, 0.0f},  // exactly the last key
      {"[{0,0},{1,10},{3,0}]", 0.0f, 3.0f, 1.0f, 10.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::unique_ptr<tFloatEnvelope> envelope(ReadFloatEnvelope(ValueText(c.text)));
    ASSERT_NE(nullptr, envelope);
    EXPECT_EQ(c.start, envelope->GetStartTime());
    EXPECT_EQ(c.end, envelope->GetEndTime());
    EXPECT_FLOAT_EQ(c.value, envelope->GetValue(c.at));
    std::unique_ptr<tFloatEnvelope> clone(envelope->Clone());
    EXPECT_FLOAT_EQ(c.value, clone->GetValue(c.at));
    EXPECT_EQ(c.end, clone->GetEndTime());
  }
  std::unique_ptr<tFloatEnvelope> angle(ReadAngleEnvelope(ValueText("[{0,90},{0.5,180}]")));
  EXPECT_EQ(0.5f, angle->GetEndTime());
  EXPECT_FLOAT_EQ(1.5707963f, angle->GetValue(0.0f));
  EXPECT_FLOAT_EQ(3.1415926f, angle->GetValue(0.5f));
  std::unique_ptr<tFloatEnvelope> constantAngle(ReadAngleEnvelope(ValueText("45")));
  EXPECT_FLOAT_EQ(0.7853982f, constantAngle->GetValue(0.0f));
}

TEST(EnvelopeTest, ColoursInterpolatePerComponent) {
  std::unique_ptr<tColourEnvelope> constant(ReadColourEnvelope(ValueText("(0.1,0.2,0.3,0.4)")));
  ASSERT_NE(nullptr, constant);
  EXPECT_FLOAT_EQ(0.3f, constant->GetValue(0.9f).b);
  std::unique_ptr<tColourEnvelope> table(
      ReadColourEnvelope(ValueText("[{0,(1,0,0,1)},{0.5,(0,1,0,1)},{1,(0,0,1,0)}]")));
  ASSERT_NE(nullptr, table);
  const tRGBAf quarter = table->GetValue(0.25f);
  EXPECT_FLOAT_EQ(0.5f, quarter.r);
  EXPECT_FLOAT_EQ(0.5f, quarter.g);
  EXPECT_FLOAT_EQ(0.0f, quarter.b);
  EXPECT_FLOAT_EQ(0.5f, table->GetValue(0.75f).a);
}

TEST(EnvelopeTest, MalformedKeysGiveNone) {
  const char* floats[] = {"[{0,1},{1}]", "[{0,1},(1,2)]", "[{0,1},{1,2},]", "[{0,1,2},{1,2}]"};
  for (const char* text : floats) {
    SCOPED_TRACE(text);
    EXPECT_EQ(nullptr, ReadFloatEnvelope(ValueText(text)));
  }
  const char* colours[] = {"1", "(1,1,1)", "[{0,(1,1,1,1)},{1,2}]", "[{0,(1,1,1,1)},{1,(1,1)}]"};
  for (const char* text : colours) {
    SCOPED_TRACE(text);
    EXPECT_EQ(nullptr, ReadColourEnvelope(ValueText(text)));
  }
}

using EnvelopeDeathTest = ParticleEngineTest;

TEST_F(EnvelopeDeathTest, EvaluationOutsideTheKeysIsFatal) {
  std::unique_ptr<tFloatEnvelope> line(ReadFloatEnvelope(ValueText("[{0,1},{1,2}]")));
  EXPECT_DEATH(line->GetValue(1.01f),
               "tEnvelope_Linear::GetValue\\(1\\.010000\\) : out of range\\(0\\.000000,1\\.000000\\)");
  EXPECT_DEATH(line->GetValue(-0.5f), "tEnvelope_Linear::GetValue");
  std::unique_ptr<tFloatEnvelope> table(ReadFloatEnvelope(ValueText("[{0.5,1},{1,2},{2,3}]")));
  EXPECT_DEATH(table->GetValue(0.25f),
               "tEnvelope_LinearTable::GetValue\\(0\\.250000\\) : out of range\\(0\\.500000,2\\.000000\\)");
  EXPECT_DEATH(table->GetValue(2.5f), "tEnvelope_LinearTable::GetValue\\(2\\.500000\\)");
  const tEnvelopeKey<f32> one[1];
  EXPECT_DEATH(tEnvelope_LinearTable<f32>(one, 1), "tEnvelope_LinearTable : min 2 keys required");
}

}  // namespace
