// COggDecoder over libogg and libvorbis: the header sequence of the Vorbis
// decoding example with each failure traced, and a decode loop that keeps its
// place between calls (page, packets, samples) so each call does one step.
#include "game/app/audio/ogg_decoder.h"

#include <cmath>
#include <cstring>
#include <new>

#include "game/foundation/fatal_error.h"

namespace {

constexpr s32 kVorbisHeaderCount = 3;
constexpr f32 kSampleScale = 32767.0f;

// A float sample as a signed 16-bit one: scaled, cut toward zero, limited.
s16 ToSample(f32 value) {
  const f32 scaled = value * kSampleScale;
  if (std::isnan(scaled)) {
    return 0;
  }
  if (scaled >= 32767.0f) {
    return 32767;
  }
  if (scaled <= -32768.0f) {
    return -32768;
  }
  return static_cast<s16>(scaled);
}

char* CopyName(const char* name) {
  const size_t length = strlen(name);
  char* copy = new (std::nothrow) char[length + 1];
  if (copy != nullptr) {
    memcpy(copy, name, length + 1);
  }
  return copy;
}

}  // namespace

COggDecoder::COggDecoder()
    : std::istream(nullptr),
      mStreamBuf(nullptr),
      mSamplesPerChunk(0),
      mReadSize(0),
      mStage(osNothing),
      mSync(),
      mStream(),
      mPage(),
      mPacket(),
      mInfo(),
      mComment(),
      mDsp(),
      mBlock(),
      mName(nullptr),
      mSyncBuffer(nullptr),
      mBytesRead(0),
      mEndOfStream(0),
      mDecodeState(odNeedPage),
      mPcm(nullptr),
      mSamplesReady(0) {}

COggDecoder::~COggDecoder() {
  delete[] mName;
  Close();
  if (mStreamBuf != nullptr) {
    mStreamBuf->Close();
  }
  setstate(std::ios_base::failbit);
  rdbuf(nullptr);
  delete mStreamBuf;
}

bool COggDecoder::Open(const char* path, s32 chunkSize) {
  Close();
  mSamplesPerChunk = chunkSize / 2;
  mReadSize = chunkSize / 2;
  mDecodeState = odNeedPage;
  if (!OpenStream(path)) {
    return false;
  }
  return ReadHeaders(path);
}

bool COggDecoder::OpenStream(const char* path) {
  rdbuf(nullptr);
  delete mStreamBuf;
  mStreamBuf = new (std::nothrow) CMusicStreamBuf;
  if (mStreamBuf == nullptr) {
    FatalError("CMusicStreamBuf *buffer = new CMusicStreamBuf");
  }
  const bool opened = path != nullptr && mStreamBuf->Open(path, false);
  rdbuf(mStreamBuf);
  if (!opened) {
    setstate(std::ios_base::failbit);
  }
  return opened;
}

s32 COggDecoder::ReadIntoSync() {
  mBytesRead = 0;
  mSyncBuffer = mReadSize > 0 ? ogg_sync_buffer(&mSync, mReadSize) : nullptr;
  if (mSyncBuffer == nullptr) {
    return 0;
  }
  read(mSyncBuffer, mReadSize);
  mBytesRead = static_cast<s32>(gcount());
  ogg_sync_wrote(&mSync, mBytesRead);
  return mBytesRead;
}

bool COggDecoder::ReadHeaders(const char* path) {
  ogg_sync_init(&mSync);
  if (path != nullptr) {
    delete[] mName;
    mName = CopyName(path);
  }
  const char* name = mName != nullptr ? mName : "";
  mStage = osSync;
  mEndOfStream = 0;

  ReadIntoSync();
  if (ogg_sync_pageout(&mSync, &mPage) != 1) {
    if (mBytesRead < mReadSize) {
      DebugTrace("%s Out of data.\n", name);
    } else {
      DebugTrace("%s Input does not appear to be an Ogg bitstream.\n", name);
    }
    return false;
  }
  ogg_stream_init(&mStream, ogg_page_serialno(&mPage));
  vorbis_info_init(&mInfo);
  vorbis_comment_init(&mComment);
  mStage = osStream;

  if (ogg_stream_pagein(&mStream, &mPage) < 0) {
    DebugTrace("%s Error reading first page of Ogg bitstream data.\n", name);
    return false;
  }
  if (ogg_stream_packetout(&mStream, &mPacket) != 1) {
    DebugTrace("%s Error reading initial header packet.\n", name);
    return false;
  }
  if (vorbis_synthesis_headerin(&mInfo, &mComment, &mPacket) < 0) {
    DebugTrace("%s This Ogg bitstream does not contain Vorbis audio data.\n", name);
    return false;
  }
  if (!ReadSecondaryHeaders()) {
    return false;
  }

  mSamplesPerChunk = mReadSize / mInfo.channels;
  // A setup header that libvorbis cannot build a decoder from.
  if (vorbis_synthesis_init(&mDsp, &mInfo) != 0) {
    DebugTrace("Corrupt secondary header. Exiting.\n");
    return false;
  }
  vorbis_block_init(&mDsp, &mBlock);
  mStage = osDecoding;
  return true;
}

bool COggDecoder::ReadSecondaryHeaders() {
  s32 headers = 1;
  while (headers < kVorbisHeaderCount) {
    while (headers < kVorbisHeaderCount) {
      const int result = ogg_sync_pageout(&mSync, &mPage);
      if (result == 0) {
        break;  // more data needed
      }
      if (result < 0) {
        continue;  // a gap before the page; the sync layer has skipped it
      }
      ogg_stream_pagein(&mStream, &mPage);
      while (headers < kVorbisHeaderCount) {
        const int packet = ogg_stream_packetout(&mStream, &mPacket);
        if (packet == 0) {
          break;
        }
        // A header libvorbis refuses would leave the decoder half set up.
        if (packet < 0 || vorbis_synthesis_headerin(&mInfo, &mComment, &mPacket) < 0) {
          DebugTrace("Corrupt secondary header. Exiting.\n");
          return false;
        }
        headers++;
      }
    }
    if (ReadIntoSync() == 0 && headers < kVorbisHeaderCount) {
      DebugTrace("%s End of file before finding all Vorbis headers!\n", mName != nullptr ? mName : "");
      return false;
    }
  }
  return true;
}

s32 COggDecoder::Decode(void* out) {
  if (mEndOfStream != 0 || mStage != osDecoding) {
    return kOggEndOfStream;
  }
  if (mDecodeState == odNeedPage) {
    const int result = ogg_sync_pageout(&mSync, &mPage);
    if (result == 0) {
      if (ReadIntoSync() == 0) {
        mEndOfStream = 1;
      }
    } else if (result > 0) {
      ogg_stream_pagein(&mStream, &mPage);
      mDecodeState = odTakePackets;
    } else {
      DebugTrace("Corrupt or missing data in bitstream; continuing...\n");
    }
    return 0;
  }
  if (mDecodeState == odTakePackets) {
    const int result = ogg_stream_packetout(&mStream, &mPacket);
    if (result == 0) {
      if (ogg_page_eos(&mPage)) {
        mEndOfStream = 1;
      }
      mDecodeState = odNeedPage;
    } else if (result > 0) {
      if (vorbis_synthesis(&mBlock, &mPacket) == 0) {
        vorbis_synthesis_blockin(&mDsp, &mBlock);
      }
      mDecodeState = odTakePcm;
    }
    return 0;  // a hole in the data: the next call takes the next packet
  }
  return TakePcm(out);
}

s32 COggDecoder::TakePcm(void* out) {
  mSamplesReady = vorbis_synthesis_pcmout(&mDsp, &mPcm);
  if (mSamplesReady < 1) {
    mDecodeState = odTakePackets;
    return 0;
  }
  const s32 channels = mInfo.channels;
  const s32 count = mSamplesReady < mSamplesPerChunk ? mSamplesReady : mSamplesPerChunk;
  s16* samples = static_cast<s16*>(out);
  for (s32 c = 0; c < channels; c++) {
    const f32* channel = mPcm[c];
    for (s32 i = 0; i < count; i++) {
      samples[i * channels + c] = ToSample(channel[i]);
    }
  }
  vorbis_synthesis_read(&mDsp, count);
  return channels * count * static_cast<s32>(sizeof(s16));
}

bool COggDecoder::Rewind() {
  clear();
  seekg(0);
  Close();
  mDecodeState = odNeedPage;
  return ReadHeaders(nullptr);
}

void COggDecoder::Close() {
  if (mStage >= osDecoding) {
    vorbis_block_clear(&mBlock);
    vorbis_dsp_clear(&mDsp);
  }
  if (mStage >= osStream) {
    ogg_stream_clear(&mStream);
    vorbis_comment_clear(&mComment);
    vorbis_info_clear(&mInfo);
  }
  if (mStage >= osSync) {
    ogg_sync_clear(&mSync);
  }
  mStage = osNothing;
}
