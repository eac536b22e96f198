// The game's key codes, carried by key events: character keys give the
// lower-case character of their place on a US keyboard, the other keys the
// codes 0x80 and up.
#pragma once

#include "game/foundation/types.h"

enum eKeyCode : u32 {
  kKeySpace = 0x20,
  kKeyEsc = 0x80,
  kKeyF1 = 0x81,
  kKeyF2 = 0x82,
  kKeyF3 = 0x83,
  kKeyF4 = 0x84,
  kKeyF5 = 0x85,
  kKeyF6 = 0x86,
  kKeyF7 = 0x87,
  kKeyF8 = 0x88,
  kKeyF9 = 0x89,
  kKeyF10 = 0x8A,
  kKeyF11 = 0x8B,
  kKeyF12 = 0x8C,
  kKeyIns = 0x8D,
  kKeyDel = 0x8E,
  kKeyHome = 0x8F,
  kKeyEnd = 0x90,
  kKeyPgUp = 0x91,
  kKeyPgDn = 0x92,
  kKeyUp = 0x93,
  kKeyDown = 0x94,
  kKeyLeft = 0x95,
  kKeyRight = 0x96,
  kKeyPadIns = 0x97,
  kKeyPadDel = 0x98,
  kKeyPadHome = 0x99,
  kKeyPadEnd = 0x9A,
  kKeyPadPgUp = 0x9B,
  kKeyPadPgDn = 0x9C,
  kKeyPadUp = 0x9D,
  kKeyPadDown = 0x9E,
  kKeyPadLeft = 0x9F,
  kKeyPadRight = 0xA0,
  kKeyNumLock = 0xA1,
  kKeyDivide = 0xA2,
  kKeyTimes = 0xA3,
  kKeyMinus = 0xA4,
  kKeyPlus = 0xA5,
  kKeyPadEnter = 0xA6,
  kKeyPad5 = 0xA7,
  kKeyBackspace = 0xA8,
  kKeyTab = 0xA9,
  kKeyCapsLock = 0xAA,
  kKeyEnter = 0xAB,
  kKeyLShift = 0xAC,
  kKeyRShift = 0xAD,
  kKeyLCtrl = 0xAE,
  kKeyRCtrl = 0xAF,
  kKeyLAlt = 0xB0,
  kKeyRAlt = 0xB1,
  kKeyNone = 0xFF,
};

// Key codes index tables of this many entries.
constexpr u32 kKeyCodeCount = 256;
