// The level loading screen: the loader picture and progress bar over the
// world's staged load, one step per tick; it leaves the stack when the load
// is complete.
#pragma once

#include "game/app/loadable.h"
#include "game/app/screens/screen_loader.h"

class cScreen_Loading : public cScreen {
 public:
  // The loader over source, expecting that many bytes, reset and linked as
  // the screen's last child.
  cScreen_Loading(cLoadable* source, u32 expectedBytes);
  ~cScreen_Loading() override;

  cScreen_Loader& GetLoader() { return mLoader; }

 private:
  cScreen_Loader mLoader;
};

// The bytes a level is expected to read, by level number (the table covers
// 0 to 6); other numbers expect kLoaderExpectedBytes.
u32 LevelLoadSize(s32 levelNumber);
