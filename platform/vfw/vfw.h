// Video for Windows and wave output as the movie player uses them: AVI files
// read stream by stream (one uncompressed bottom-up 24-bit video stream, at
// most one PCM sound stream), and a wave-out device that plays queued buffers
// in order and hands each back to a window when it has been played.
#pragma once

#include "platform/win/win32.h"

// ---------------------------------------------------------------------------
// Codes

#define mmioFOURCC(a, b, c, d) \
  ((DWORD)(BYTE)(a) | ((DWORD)(BYTE)(b) << 8) | ((DWORD)(BYTE)(c) << 16) | ((DWORD)(BYTE)(d) << 24))

#define streamtypeVIDEO mmioFOURCC('v', 'i', 'd', 's')
#define streamtypeAUDIO mmioFOURCC('a', 'u', 'd', 's')

#define BI_RGB 0

#define OF_READ 0x00000000
#define OF_WRITE 0x00000001
#define OF_READWRITE 0x00000002
#define OF_SHARE_DENY_WRITE 0x00000020
#define OF_CREATE 0x00001000

#define AVIERR_OK 0
#define MAKE_AVIERR(error) ((HRESULT)(0x80044000 + (error)))
#define AVIERR_UNSUPPORTED MAKE_AVIERR(101)
#define AVIERR_BADFORMAT MAKE_AVIERR(102)
#define AVIERR_MEMORY MAKE_AVIERR(103)
#define AVIERR_BADFLAGS MAKE_AVIERR(105)
#define AVIERR_BADPARAM MAKE_AVIERR(106)
#define AVIERR_BADHANDLE MAKE_AVIERR(108)
#define AVIERR_FILEREAD MAKE_AVIERR(109)
#define AVIERR_FILEOPEN MAKE_AVIERR(111)
#define AVIERR_NODATA MAKE_AVIERR(115)
#define AVIERR_BUFFERTOOSMALL MAKE_AVIERR(116)

// AVIStreamRead's sample count for "what is convenient": the rest of the
// chunk holding the start.
#define AVISTREAMREAD_CONVENIENT (-1L)

// ---------------------------------------------------------------------------
// Records. In-memory records with the platform's field sizes; the files that
// hold them are read field by field.

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // positive: the bottom row first
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;  // bytes of the rows, each padded to 4 bytes
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
typedef BITMAPINFOHEADER* LPBITMAPINFOHEADER;

struct AVISTREAMINFOA {
  DWORD fccType;
  DWORD fccHandler;
  DWORD dwFlags;
  DWORD dwCaps;
  WORD wPriority;
  WORD wLanguage;
  DWORD dwScale;  // dwRate / dwScale: samples (frames) a second
  DWORD dwRate;
  DWORD dwStart;
  DWORD dwLength;  // in samples: frames, or sound blocks
  DWORD dwInitialFrames;
  DWORD dwSuggestedBufferSize;
  DWORD dwQuality;
  DWORD dwSampleSize;  // as the file states it; 0: one chunk a sample
  RECT rcFrame;
  DWORD dwEditCount;
  DWORD dwFormatChangeCount;
  char szName[64];
};
typedef AVISTREAMINFOA* LPAVISTREAMINFOA;

// ---------------------------------------------------------------------------
// AVI files

struct IAVIStream;
typedef IAVIStream* PAVISTREAM;
struct IGetFrame;
typedef IGetFrame* PGETFRAME;
struct CLSID;

// Nothing needs starting or stopping; kept for the callers' sake.
void WINAPI AVIFileInit(void);
void WINAPI AVIFileExit(void);

// Opens stream number streamIndex (0: the first) of the type in the file at a
// Windows-style path, for reading (OF_READ, optionally with sharing flags).
// The whole file is checked first: a file that is not an AVI file of one
// uncompressed bottom-up 24-bit video stream and at most one PCM sound stream
// fails with AVIERR_BADFORMAT (damaged) or AVIERR_UNSUPPORTED (another
// layout or codec); a missing stream gives AVIERR_NODATA. The handler must be
// null.
HRESULT WINAPI AVIStreamOpenFromFileA(PAVISTREAM* stream, LPCSTR file, DWORD type, LONG streamIndex, UINT mode,
                                      CLSID* handler);
// Releases one reference; the stream (and its file) goes with the last.
ULONG WINAPI AVIStreamRelease(PAVISTREAM stream);
// Copies at most size bytes of the stream's information. dwLength counts the
// samples the file really holds.
HRESULT WINAPI AVIStreamInfoA(PAVISTREAM stream, LPAVISTREAMINFOA info, LONG size);
LONG WINAPI AVIStreamStart(PAVISTREAM stream);
LONG WINAPI AVIStreamLength(PAVISTREAM stream);
// format null: *formatSize gets the size of the format record (a
// BITMAPINFOHEADER or a WAVEFORMATEX). Otherwise copies at most *formatSize
// bytes of it and sets *formatSize to the bytes copied.
HRESULT WINAPI AVIStreamReadFormat(PAVISTREAM stream, LONG position, LPVOID format, LONG* formatSize);
// Reads sound samples from start on, across chunk boundaries, as many as asked
// for, as the stream still holds and as fit in the buffer; with a null
// buffer, only counts. bytesRead and samplesRead may be null. Not for video.
HRESULT WINAPI AVIStreamRead(PAVISTREAM stream, LONG start, LONG samples, LPVOID buffer, LONG bufferSize,
                             LONG* bytesRead, LONG* samplesRead);

// A frame reader of a video stream; wanted must be null (the stream's own
// format). Holds a reference to the stream.
PGETFRAME WINAPI AVIStreamGetFrameOpen(PAVISTREAM stream, LPBITMAPINFOHEADER wanted);
// The frame at a position as a packed bitmap: a BITMAPINFOHEADER followed by
// the rows, bottom row first, each padded to 4 bytes. Valid until the next
// call on the reader or its closing; null when the position holds no frame
// or the file cannot be read.
LPVOID WINAPI AVIStreamGetFrame(PGETFRAME reader, LONG position);
HRESULT WINAPI AVIStreamGetFrameClose(PGETFRAME reader);

// ---------------------------------------------------------------------------
// Wave output

struct HWAVEOUT__;
typedef HWAVEOUT__* HWAVEOUT;
typedef HWAVEOUT* LPHWAVEOUT;

#define WAVE_MAPPER ((UINT)-1)

#define CALLBACK_NULL 0x00000000
#define CALLBACK_WINDOW 0x00010000

#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_ALLOCATED 4
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_NOMEM 7
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_INVALFLAG 10
#define MMSYSERR_INVALPARAM 11
#define WAVERR_BADFORMAT 32
#define WAVERR_STILLPLAYING 33
#define WAVERR_UNPREPARED 34

#define WHDR_DONE 0x00000001
#define WHDR_PREPARED 0x00000002
#define WHDR_BEGINLOOP 0x00000004
#define WHDR_ENDLOOP 0x00000008
#define WHDR_INQUEUE 0x00000010

struct WAVEHDR {
  LPSTR lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  DWORD_PTR dwUser;
  DWORD dwFlags;
  DWORD dwLoops;  // loops are not played: every header plays once
  WAVEHDR* lpNext;
  DWORD_PTR reserved;
};
typedef WAVEHDR* LPWAVEHDR;

// Opens the one output device (WAVE_MAPPER or 0) for PCM of 1 or 2 channels,
// 8 or 16 bits; it plays at once. CALLBACK_WINDOW posts MM_WOM_OPEN,
// MM_WOM_DONE and MM_WOM_CLOSE to the window given as callback (wParam the
// device, lParam the header for MM_WOM_DONE); CALLBACK_NULL posts nothing.
// The messages come from the audio thread.
MMRESULT WINAPI waveOutOpen(LPHWAVEOUT device, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                            DWORD_PTR instance, DWORD flags);
MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT headerSize);
// WAVERR_STILLPLAYING while the header is queued.
MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT headerSize);
// Queues a prepared header behind the others; when its bytes have been
// played it gets WHDR_DONE and the window MM_WOM_DONE.
MMRESULT WINAPI waveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT headerSize);
// Pausing plays silence and keeps the place; restarting goes on from it.
MMRESULT WINAPI waveOutPause(HWAVEOUT device);
MMRESULT WINAPI waveOutRestart(HWAVEOUT device);
// Stops playing and hands back every queued header, done, in order; the
// device is no longer paused.
MMRESULT WINAPI waveOutReset(HWAVEOUT device);
// WAVERR_STILLPLAYING while headers are queued.
MMRESULT WINAPI waveOutClose(HWAVEOUT device);

#define SND_SYNC 0x0000
#define SND_ASYNC 0x0001
#define SND_NODEFAULT 0x0002

// No system sounds are played: a null sound (stop) succeeds, any other fails.
BOOL WINAPI sndPlaySoundA(LPCSTR sound, UINT flags);
