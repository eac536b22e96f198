// cWgWorldView.
#include "game/render/scene/wg_world_view.h"

#include "game/render/scene/scene.h"

cWgWorldView::cWgWorldView(cScene* scene, u32 cameraIndex, const tWgPlacement& placement)
    : cWgWidget(placement), mScene(scene), mCameraIndex(cameraIndex) {}

bool cWgWorldView::OnEvent(const tEvent* /*event*/) { return false; }

void cWgWorldView::Render() {
  cCamera* camera = mScene->GetCamera(mCameraIndex);
  if (camera != nullptr) {
    mScene->GetRenderManager().RenderFrame(camera, mTarget);
  }
}
