// Ogg Vorbis decoding for the music stream: an input stream over its own
// CMusicStreamBuf (so the file may come from the pack), headers read on open,
// then one small step of decoding per call into interleaved signed 16-bit
// samples. Rewinding reads the headers again and starts from the first audio.
#pragma once

#include <vorbis/codec.h>

#include <istream>

#include "game/app/audio/music_stream_buf.h"
#include "game/foundation/types.h"

// What has been set up and must be cleared, in this order.
enum eOggStage : u32 {
  osNothing = 0,
  osSync = 1,      // ogg_sync_state
  osStream = 2,    // ogg_stream_state, vorbis_info, vorbis_comment
  osDecoding = 3,  // vorbis_dsp_state, vorbis_block
};

// Where the next Decode step starts.
enum eOggDecodeState : u32 {
  odNeedPage = 0,
  odTakePackets = 1,
  odTakePcm = 2,
};

constexpr s32 kOggEndOfStream = -1;

class COggDecoder : public std::istream {
 public:
  COggDecoder();
  ~COggDecoder() override;

  COggDecoder(const COggDecoder&) = delete;
  COggDecoder& operator=(const COggDecoder&) = delete;

  // Opens path (binary) and reads its three headers. Decode hands out at
  // most chunkSize bytes a call, and the file is read chunkSize / 2 bytes at
  // a time. False (traced) when the file is missing or is not Ogg Vorbis.
  bool Open(const char* path, s32 chunkSize);
  // Sets up the sync layer and reads the headers from the stream's current
  // position; path null keeps the stored name.
  bool ReadHeaders(const char* path);
  // One step: the bytes of samples written to out, 0 when this step made
  // none, kOggEndOfStream at the end of the data (and when no headers are in).
  s32 Decode(void* out);
  // Back to the first audio of the file; false when the headers fail again.
  bool Rewind();
  // Clears what the stage says is set up.
  void Close();

  s32 GetChannels() const { return mStage >= osStream ? mInfo.channels : 0; }
  s32 GetSampleRate() const { return mStage >= osStream ? static_cast<s32>(mInfo.rate) : 0; }
  s32 GetSamplesPerChunk() const { return mSamplesPerChunk; }
  u32 GetStage() const { return mStage; }
  const char* GetName() const { return mName; }

 private:
  bool OpenStream(const char* path);
  // Reads up to readSize bytes into the sync layer; the bytes read.
  s32 ReadIntoSync();
  bool ReadSecondaryHeaders();
  s32 TakePcm(void* out);

  CMusicStreamBuf* mStreamBuf;  // owned; the stream reads through it
  s32 mSamplesPerChunk;         // per channel
  s32 mReadSize;                // bytes
  u32 mStage;                   // eOggStage
  ogg_sync_state mSync;
  ogg_stream_state mStream;
  ogg_page mPage;
  ogg_packet mPacket;
  vorbis_info mInfo;
  vorbis_comment mComment;
  vorbis_dsp_state mDsp;
  vorbis_block mBlock;
  char* mName;  // owned, for messages
  char* mSyncBuffer;
  s32 mBytesRead;
  u32 mEndOfStream;
  u32 mDecodeState;  // eOggDecodeState
  f32** mPcm;
  s32 mSamplesReady;
};
