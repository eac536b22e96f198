// The application holder: the one object that lives from engine start-up to
// shut-down. It is a MusicEngine, so the shared music track table lives as
// long as the program, it owns the game (the root screen of the stack), and
// it passes file-read progress on to the loading screen.
#pragma once

#include "game/app/audio/music_engine.h"
#include "game/app/screens/screen.h"
#include "game/app/screens/screen_loader.h"
#include "game/foundation/types.h"

class cApplication : public MusicEngine {
 public:
  // Makes the game object; null when it cannot.
  typedef cScreen* (*tGameMaker)();

  // Holds the music table, makes the game with makeGame (none when makeGame
  // is null) and pushes it, or null, on the screen stack.
  explicit cApplication(tGameMaker makeGame);
  // Pushes null and syncs, so the stack no longer holds the game as its
  // active screen; deletes the game, then releases the music table.
  ~cApplication() override;

  cApplication(const cApplication&) = delete;
  cApplication& operator=(const cApplication&) = delete;

  // The screen that shows progress while files are read (the game's
  // loading screen), or null.
  cScreen_Loader* FindLoadingScreen() const;

  cScreen* GetGame() const { return mGame; }

 private:
  cScreen* mGame;  // owned; null until the front end's game is built
};

// The holder, from CreateApplication to DestroyApplication; null otherwise.
extern cApplication* gApplication;

// The maker of the game that CreateApplication's holder creates; null (the
// default) makes none. The program's entry installs the front end's.
void SetGameMaker(cApplication::tGameMaker makeGame);
// The holder made and stored in gApplication (null when it cannot be made).
void CreateApplication();
// The holder destroyed, if any.
void DestroyApplication();
// The read-progress hook of the file interface: bytes read or asked for,
// passed to the loading screen while one exists.
void OnFileRead(u32 bytes);
// bytes counted on loader; when its bar moved, the bar is drawn and the frame
// presented, twice, so that both buffers show it.
void ShowReadProgress(cScreen_Loader* loader, u32 bytes);
