// The demo data set: every file the game opens at start-up, in the front end
// and on loading a level, generated from fixed seeds (no clock, no path in any
// file). Each writer adds its files to the folder under the paths the game
// opens them by; the name lists are the ones the game's tables spell.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/demo/data_folder.h"

namespace demo {

// The whole set: start-up files, then the first level. False when a part
// could not be built.
bool WriteDataSet(DataFolder& data);

// "data/config.txt", "data/inputmap.txt", the menu texts and the end and
// credit texts.
void WriteStartupTexts(DataFolder& data);
// The keys of the main menu screen's texts in the language of the code
// ("d" or "eng").
std::vector<std::pair<std::string, std::string>> MainMenuTextKeys(const std::string& code);
// The keys of the pause and death menus' texts.
std::vector<std::pair<std::string, std::string>> InGameMenuTextKeys(const std::string& code);
// The name entry's 40 cell pictures, "data/menu/fonts/<cell>".
void WriteNameCells(DataFolder& data);
// "data/font/gothic13": its METRICS1 file, page and page mask.
void WriteFonts(DataFolder& data);
// Every texture of TextureNames(), with its "_mask" companion where
// MaskedTextureNames() holds it.
void WriteTextures(DataFolder& data);
// The HUD's pictures, drawn over the placeholders of the same names.
void WriteHudTextures(DataFolder& data);
// Every sound of SoundNames() as 16-bit PCM at 22050 Hz.
void WriteSounds(DataFolder& data);
// The music loops of MusicNames().
void WriteMusic(DataFolder& data);
// The movies of MovieNames().
void WriteMovies(DataFolder& data);
// The particle files of ParticleFileNames().
void WriteParticles(DataFolder& data);

// Sound names as the game gives them ("sfx/al_1"); the file is
// "data/media/" + name + ".wav".
const std::vector<std::string>& SoundNames();
// Texture names as the game reads them ("data/textures/alert"); the file is
// name + ".bmp", its mask name + "_mask.bmp".
const std::vector<std::string>& TextureNames();
const std::vector<std::string>& MaskedTextureNames();
// Music tracks ("INTRO"); the file is "data/media/music/" + name + ".ogg".
const std::vector<std::string>& MusicNames();
// Movies ("final"); the file is "data/movies/" + name + ".avi".
const std::vector<std::string>& MovieNames();
// Particle files by path ("data/implants/particles_eds.txt").
const std::vector<std::string>& ParticleFileNames();

}  // namespace demo
