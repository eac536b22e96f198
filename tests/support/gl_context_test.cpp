// The headless harness really renders: clear to a colour and read it back.
#include "tests/support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

TEST(HeadlessGlContext, ClearsAndReadsBack) {
  tktest::HeadlessGlContext gl;
  ASSERT_TRUE(gl.Open(32, 16)) << gl.Error();
  glClearColor(1.0f, 128.0f / 255.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(gl.ReadPixel(0, 0), 0xFFFF8000u);
  EXPECT_EQ(gl.ReadPixel(31, 15), 0xFFFF8000u);

  // A scissored clear touches only its rectangle; rows are counted from the top.
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 15, 1, 1);
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  EXPECT_EQ(gl.ReadPixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(gl.ReadPixel(1, 0), 0xFFFF8000u);
  EXPECT_EQ(gl.ReadPixel(0, 15), 0xFFFF8000u);
}

}  // namespace
