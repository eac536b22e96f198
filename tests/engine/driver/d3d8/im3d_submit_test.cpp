// Immediate-mode 3D drawn through the driver's submit device: plain,
// indexed through the shared index buffer, expanded short index lists, the
// index buffer's restart, and the buffer made again after a reset.
#include "tests/support/d3d8_camera_engine.h"

namespace {

constexpr RwUInt32 kYellow = 0xFFFFFF00u;

class Im3DSubmitTest : public CameraDriverTest {
 protected:
  void SetUp() override {
    CameraDriverTest::SetUp();
    Start();
    // A square 5 units ahead covering the middle of the view.
    const RwV3d corners[4] = {{-1.0f, -1.0f, 5.0f}, {1.0f, -1.0f, 5.0f}, {1.0f, 1.0f, 5.0f}, {-1.0f, 1.0f, 5.0f}};
    for (int i = 0; i < 4; i++) {
      square_[i] = {};
      square_[i].objVertex = corners[i];
      square_[i].color = kYellow;
    }
  }

  void Begin() {
    RwRGBA black = {0, 0, 0, 255};
    ASSERT_NE(RwCameraClear(camera_, &black, kRwCameraClearImage | kRwCameraClearZ), nullptr);
    ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);
    RwRenderStateSet(kRwRenderStateCullMode, reinterpret_cast<void*>(static_cast<intptr_t>(1)));
  }

  void End() {
    RwCameraEndUpdate(camera_);
    RwRasterShowRaster(camera_->frameBuffer, nullptr, 0);
  }

  bool DrawIndexed(RwUInt16* indices, RwUInt32 count) {
    if (RwIm3DTransform(square_, 4, nullptr, 0) == nullptr) {
      return false;
    }
    const bool drawn = RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriList, indices, count) != 0;
    RwIm3DEnd();
    return drawn;
  }

  RwIm3DVertex square_[4];
};

TEST_F(Im3DSubmitTest, LongIndexListsGoThroughTheSharedIndexBuffer) {
  RwUInt16 indices[12] = {0, 1, 2, 0, 2, 3, 0, 1, 2, 0, 2, 3};
  Begin();
  Record();
  ASSERT_TRUE(DrawIndexed(indices, 12));
  EXPECT_EQ(Calls("IndexBuffer::Lock"), 1u);
  EXPECT_EQ(Calls("DrawIndexedPrimitive"), 1u);
  EXPECT_EQ(Calls("DrawIndexedPrimitiveUP"), 0u);
  const std::vector<uint64_t> lock = Args("IndexBuffer::Lock");
  ASSERT_EQ(lock.size(), 4u);  // buffer, offset, bytes, flags
  EXPECT_EQ(lock[1], 0u);
  EXPECT_EQ(lock[2], 24u);
  EXPECT_EQ(lock[3], static_cast<uint64_t>(D3DLOCK_NOOVERWRITE | D3DLOCK_NOSYSLOCK));
  // The next list follows the first in the buffer.
  ASSERT_TRUE(DrawIndexed(indices, 12));
  EXPECT_EQ(Args("IndexBuffer::Lock")[1], 24u);
  End();
  EXPECT_EQ(BackBufferPixel(kWidth / 2, kHeight / 2), 0xFFFF00u);
  EXPECT_EQ(BackBufferPixel(2, 2), 0x000000u);
}

TEST_F(Im3DSubmitTest, ShortIndexListsAreExpandedAndPlainListsCopied) {
  RwUInt16 indices[6] = {0, 1, 2, 0, 2, 3};
  Begin();
  Record();
  ASSERT_TRUE(DrawIndexed(indices, 6));
  EXPECT_EQ(Calls("IndexBuffer::Lock"), 0u);
  EXPECT_EQ(Calls("DrawPrimitive"), 1u);
  EXPECT_EQ(Args("DrawPrimitive")[2], 2u);  // two triangles from six vertices
  ASSERT_NE(RwIm3DTransform(square_, 3, nullptr, 0), nullptr);
  ASSERT_TRUE(RwIm3DRenderPrimitive(kRwPrimTypeTriList));
  RwIm3DEnd();
  EXPECT_EQ(Calls("DrawPrimitive"), 2u);
  EXPECT_EQ(Calls("DrawPrimitiveUP"), 0u);
  End();
  EXPECT_EQ(BackBufferPixel(kWidth / 2, kHeight / 2), 0xFFFF00u);
}

TEST_F(Im3DSubmitTest, IndexBufferRestartsWithADiscardWhenFull) {
  std::vector<RwUInt16> indices(40002);
  for (size_t i = 0; i < indices.size(); i++) {
    indices[i] = static_cast<RwUInt16>(i % 3);
  }
  Begin();
  Record();
  ASSERT_TRUE(DrawIndexed(indices.data(), static_cast<RwUInt32>(indices.size())));
  ASSERT_TRUE(DrawIndexed(indices.data(), static_cast<RwUInt32>(indices.size())));
  const std::vector<std::vector<uint64_t>> locks = d3d8test::AllArgs(Device(), "IndexBuffer::Lock");
  ASSERT_EQ(locks.size(), 2u);
  EXPECT_EQ(locks[0][1], 0u);
  EXPECT_EQ(locks[1][1], 0u);
  EXPECT_EQ(locks[1][3], static_cast<uint64_t>(D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK));
  End();
}

TEST_F(Im3DSubmitTest, IndexBufferIsMadeAgainAfterADeviceReset) {
  RwUInt16 indices[12] = {0, 1, 2, 0, 2, 3, 0, 1, 2, 0, 2, 3};
  Begin();
  ASSERT_TRUE(DrawIndexed(indices, 12));
  RwCameraEndUpdate(camera_);
  d3d8test::InjectDeviceLoss(Device(), true);
  EXPECT_EQ(RwRasterShowRaster(camera_->frameBuffer, nullptr, 0), nullptr);
  Begin();
  Record();
  ASSERT_TRUE(DrawIndexed(indices, 12));
  EXPECT_EQ(Calls("IndexBuffer::Lock"), 1u);
  EXPECT_EQ(Calls("DrawIndexedPrimitiveUP"), 0u);
  End();
  EXPECT_EQ(BackBufferPixel(kWidth / 2, kHeight / 2), 0xFFFF00u);
}

}  // namespace

namespace {

TEST_F(Im3DSubmitTest, IndexListsTooLongForTheIndexBufferAreDrawnFromTheCallersVertices) {
  std::vector<RwUInt16> indices(65538);
  for (size_t i = 0; i < indices.size(); i++) {
    indices[i] = static_cast<RwUInt16>(i % 3);
  }
  Begin();
  Record();
  ASSERT_TRUE(DrawIndexed(indices.data(), static_cast<RwUInt32>(indices.size())));
  EXPECT_EQ(Calls("IndexBuffer::Lock"), 0u);
  EXPECT_EQ(Calls("DrawIndexedPrimitiveUP"), 1u);
  // The next draw goes through the shared buffers again.
  RwUInt16 few[6] = {0, 1, 2, 0, 2, 3};
  ASSERT_TRUE(DrawIndexed(few, 6));
  EXPECT_EQ(Calls("DrawPrimitive"), 1u);
  End();
  EXPECT_EQ(BackBufferPixel(kWidth / 2, kHeight / 2), 0xFFFF00u);
}

}  // namespace
