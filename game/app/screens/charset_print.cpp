// PrintCharsetAligned.
#include "game/app/screens/charset_print.h"

#include <cstring>

void CharsetAlignedPosition(s32 glyphWidth, s32 glyphHeight, s32 width, s32 height, s32 length, s32 column, s32 row,
                            u32 flags, s32* x, s32* y) {
  *x = glyphWidth * column;
  *y = glyphHeight * row;
  if (flags & kCharsetAlignLeft) {
    *x += glyphWidth;
  }
  if (flags & kCharsetAlignRight) {
    *x += width - (length + 1) * glyphWidth;
  }
  if (flags & kCharsetAlignTop) {
    *y += glyphHeight;
  }
  if (flags & kCharsetAlignBottom) {
    *y += height - 2 * glyphHeight;
  }
  if (flags == 0 || flags == kCharsetAlignLeft || flags == kCharsetAlignRight) {
    *y += (height - glyphHeight) / 2;
  }
  if (flags == 0 || flags == kCharsetAlignTop || flags == kCharsetAlignBottom) {
    *x = glyphWidth * column + (width - glyphWidth * length) / 2;
    if (*x < 0) {
      *x = 0;
    }
  }
}

void PrintCharsetAligned(RtCharset* charset, const char* text, s32 column, s32 row, u32 flags) {
  RwCamera* camera = RwCameraGetCurrentCamera();
  if (charset == nullptr || text == nullptr || camera == nullptr || camera->frameBuffer == nullptr) {
    return;
  }
  RtCharsetDesc desc;
  RtCharsetGetDesc(charset, &desc);
  s32 x = 0;
  s32 y = 0;
  CharsetAlignedPosition(desc.width, desc.height, camera->frameBuffer->width, camera->frameBuffer->height,
                         static_cast<s32>(strlen(text)), column, row, flags, &x, &y);
  RtCharsetPrint(charset, text, x, y);
}
