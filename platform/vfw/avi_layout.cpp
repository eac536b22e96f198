// The RIFF structure of an AVI file: the header list with its stream lists,
// the "movi" list of data chunks and the optional "idx1" index, and the
// "AVIX" parts that carry the movie on past the first part in files over
// 1 GiB, each with a "movi" list of its own. Every chunk is
// checked against the chunk that holds it, and so against the file, before
// anything inside it is read; fields are read one by one, little-endian.
#include "platform/vfw/avi_layout.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vfw {

namespace {

constexpr DWORD kRiffId = mmioFOURCC('R', 'I', 'F', 'F');
constexpr DWORD kAviType = mmioFOURCC('A', 'V', 'I', ' ');
constexpr DWORD kAviExtensionType = mmioFOURCC('A', 'V', 'I', 'X');
constexpr DWORD kListId = mmioFOURCC('L', 'I', 'S', 'T');
constexpr DWORD kJunkId = mmioFOURCC('J', 'U', 'N', 'K');
constexpr DWORD kHeaderListType = mmioFOURCC('h', 'd', 'r', 'l');
constexpr DWORD kMainHeaderId = mmioFOURCC('a', 'v', 'i', 'h');
constexpr DWORD kStreamListType = mmioFOURCC('s', 't', 'r', 'l');
constexpr DWORD kStreamHeaderId = mmioFOURCC('s', 't', 'r', 'h');
constexpr DWORD kStreamFormatId = mmioFOURCC('s', 't', 'r', 'f');
constexpr DWORD kStreamNameId = mmioFOURCC('s', 't', 'r', 'n');
constexpr DWORD kMovieListType = mmioFOURCC('m', 'o', 'v', 'i');
constexpr DWORD kRecordListType = mmioFOURCC('r', 'e', 'c', ' ');
constexpr DWORD kIndexId = mmioFOURCC('i', 'd', 'x', '1');

// The last two characters of a data chunk's id ("00db"): what it holds.
constexpr WORD TwoCc(char a, char b) { return static_cast<WORD>(static_cast<BYTE>(a) | static_cast<BYTE>(b) << 8); }
constexpr WORD kUncompressedFrame = TwoCc('d', 'b');
constexpr WORD kCompressedFrame = TwoCc('d', 'c');
constexpr WORD kWaveBytes = TwoCc('w', 'b');
// The first two characters of a part's own index of a stream's chunks
// ("ix00"), which may stand among the data chunks; the chunks are found
// without it.
constexpr WORD kStandardIndexPrefix = TwoCc('i', 'x');

// Bytes on disk.
constexpr uint32_t kChunkHeaderBytes = 8;
constexpr uint32_t kFileHeaderBytes = 12;  // "RIFF", size, "AVI "
constexpr uint32_t kListTypeBytes = 4;
constexpr uint32_t kMainHeaderBytes = 56;
constexpr uint32_t kStreamHeaderMinBytes = 48;  // without the frame rectangle
constexpr uint32_t kStreamHeaderBytes = 56;
constexpr uint32_t kBitmapHeaderBytes = 40;
constexpr uint32_t kWaveFormatBytes = 16;
constexpr uint32_t kIndexEntryBytes = 16;
constexpr size_t kIndexEntriesPerRead = 1024;

constexpr size_t kMaxStreams = 2;  // one video stream, at most one sound stream
constexpr LONG kMaxFrameSide = 16384;
constexpr uint64_t kMaxPosition = std::numeric_limits<LONG>::max();

uint16_t ReadU16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }
uint32_t ReadU32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

struct Chunk {
  DWORD id;
  uint32_t size;
  uint64_t body;  // offset of the body
  uint64_t End() const { return body + size; }
};

// The chunk at *position, which must lie before end; moves *position past it
// and its pad byte (which may be missing at the very end).
HRESULT NextChunk(AviSource& source, uint64_t* position, uint64_t end, Chunk* chunk) {
  uint8_t header[kChunkHeaderBytes];
  if (end - *position < kChunkHeaderBytes) {
    return AVIERR_BADFORMAT;
  }
  if (!source.ReadAt(*position, header, sizeof header)) {
    return AVIERR_FILEREAD;
  }
  chunk->id = ReadU32(header);
  chunk->size = ReadU32(header + 4);
  chunk->body = *position + kChunkHeaderBytes;
  if (chunk->size > end - chunk->body) {
    return AVIERR_BADFORMAT;
  }
  *position = std::min(chunk->End() + (chunk->size & 1), end);
  return AVIERR_OK;
}

// The first bytes of a chunk's body: all of them up to wanted, and at least
// minimum (a shorter body is damaged).
HRESULT ReadChunkStart(AviSource& source, const Chunk& chunk, uint32_t minimum, uint32_t wanted, uint8_t* out) {
  if (chunk.size < minimum) {
    return AVIERR_BADFORMAT;
  }
  return source.ReadAt(chunk.body, out, std::min(chunk.size, wanted)) ? AVIERR_OK : AVIERR_FILEREAD;
}

// NextChunk, with *type the list type when the chunk is a "LIST" (0 for
// other chunks).
HRESULT NextEntry(AviSource& source, uint64_t* position, uint64_t end, Chunk* chunk, DWORD* type) {
  *type = 0;
  HRESULT result = NextChunk(source, position, end, chunk);
  if (result != AVIERR_OK || chunk->id != kListId) {
    return result;
  }
  uint8_t bytes[kListTypeBytes];
  result = ReadChunkStart(source, *chunk, kListTypeBytes, kListTypeBytes, bytes);
  if (result == AVIERR_OK) {
    *type = ReadU32(bytes);
  }
  return result;
}

HRESULT ReadStreamHeader(AviSource& source, const Chunk& chunk, AVISTREAMINFOA* info) {
  uint8_t b[kStreamHeaderBytes] = {};
  const HRESULT result = ReadChunkStart(source, chunk, kStreamHeaderMinBytes, kStreamHeaderBytes, b);
  if (result != AVIERR_OK) {
    return result;
  }
  info->fccType = ReadU32(b);
  info->fccHandler = ReadU32(b + 4);
  info->dwFlags = ReadU32(b + 8);
  info->wPriority = ReadU16(b + 12);
  info->wLanguage = ReadU16(b + 14);
  info->dwInitialFrames = ReadU32(b + 16);
  info->dwScale = ReadU32(b + 20);
  info->dwRate = ReadU32(b + 24);
  info->dwStart = ReadU32(b + 28);
  info->dwLength = ReadU32(b + 32);
  info->dwSuggestedBufferSize = ReadU32(b + 36);
  info->dwQuality = ReadU32(b + 40);
  info->dwSampleSize = ReadU32(b + 44);
  info->rcFrame.left = static_cast<int16_t>(ReadU16(b + 48));
  info->rcFrame.top = static_cast<int16_t>(ReadU16(b + 50));
  info->rcFrame.right = static_cast<int16_t>(ReadU16(b + 52));
  info->rcFrame.bottom = static_cast<int16_t>(ReadU16(b + 54));
  return info->dwStart > kMaxPosition ? AVIERR_BADFORMAT : AVIERR_OK;
}

HRESULT ReadBitmapFormat(AviSource& source, const Chunk& chunk, AviStreamLayout* stream) {
  uint8_t b[kBitmapHeaderBytes];
  const HRESULT result = ReadChunkStart(source, chunk, sizeof b, sizeof b, b);
  if (result != AVIERR_OK) {
    return result;
  }
  const uint32_t headerSize = ReadU32(b);
  const LONG width = static_cast<LONG>(ReadU32(b + 4));
  const LONG height = static_cast<LONG>(ReadU32(b + 8));
  const WORD planes = ReadU16(b + 12);
  const WORD bits = ReadU16(b + 14);
  const DWORD compression = ReadU32(b + 16);
  if (compression != BI_RGB || bits != 24 || height < 0) {
    return AVIERR_UNSUPPORTED;  // another codec, depth, or top-down rows
  }
  if (headerSize < kBitmapHeaderBytes || headerSize > chunk.size || planes != 1 || width <= 0 || height == 0 ||
      width > kMaxFrameSide || height > kMaxFrameSide) {
    return AVIERR_BADFORMAT;
  }
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  stream->imageSize = stride * static_cast<uint32_t>(height);
  BITMAPINFOHEADER& bitmap = stream->bitmap;
  bitmap = {};
  bitmap.biSize = sizeof(BITMAPINFOHEADER);
  bitmap.biWidth = width;
  bitmap.biHeight = height;
  bitmap.biPlanes = 1;
  bitmap.biBitCount = 24;
  bitmap.biCompression = BI_RGB;
  bitmap.biSizeImage = stream->imageSize;
  bitmap.biXPelsPerMeter = static_cast<LONG>(ReadU32(b + 24));
  bitmap.biYPelsPerMeter = static_cast<LONG>(ReadU32(b + 28));
  return AVIERR_OK;
}

HRESULT ReadWaveFormat(AviSource& source, const Chunk& chunk, AviStreamLayout* stream) {
  uint8_t b[kWaveFormatBytes];
  const HRESULT result = ReadChunkStart(source, chunk, sizeof b, sizeof b, b);
  if (result != AVIERR_OK) {
    return result;
  }
  WAVEFORMATEX& wave = stream->wave;
  wave = {};
  wave.wFormatTag = ReadU16(b);
  wave.nChannels = ReadU16(b + 2);
  wave.nSamplesPerSec = ReadU32(b + 4);
  wave.nAvgBytesPerSec = ReadU32(b + 8);
  wave.nBlockAlign = ReadU16(b + 12);
  wave.wBitsPerSample = ReadU16(b + 14);
  if (wave.wFormatTag != WAVE_FORMAT_PCM || wave.nChannels < 1 || wave.nChannels > 2 ||
      (wave.wBitsPerSample != 8 && wave.wBitsPerSample != 16)) {
    return AVIERR_UNSUPPORTED;
  }
  const uint64_t bytesPerSecond = static_cast<uint64_t>(wave.nSamplesPerSec) * wave.nBlockAlign;
  if (wave.nBlockAlign != wave.nChannels * wave.wBitsPerSample / 8 || wave.nSamplesPerSec == 0 ||
      wave.nAvgBytesPerSec != bytesPerSecond) {
    return AVIERR_BADFORMAT;
  }
  return AVIERR_OK;
}

HRESULT ReadStreamName(AviSource& source, const Chunk& chunk, AVISTREAMINFOA* info) {
  const size_t length = std::min<size_t>(chunk.size, sizeof info->szName - 1);
  if (!source.ReadAt(chunk.body, info->szName, length)) {
    return AVIERR_FILEREAD;
  }
  info->szName[length] = '\0';
  return AVIERR_OK;
}

// A "strl" list: the stream header first, then its format; a name and other
// chunks may follow.
HRESULT ParseStreamList(AviSource& source, uint64_t position, uint64_t end, AviStreamLayout* stream) {
  Chunk chunk;
  HRESULT result = NextChunk(source, &position, end, &chunk);
  if (result != AVIERR_OK || chunk.id != kStreamHeaderId) {
    return result != AVIERR_OK ? result : AVIERR_BADFORMAT;
  }
  if ((result = ReadStreamHeader(source, chunk, &stream->info)) != AVIERR_OK) {
    return result;
  }
  bool haveFormat = false;
  while (position < end) {
    if ((result = NextChunk(source, &position, end, &chunk)) != AVIERR_OK) {
      return result;
    }
    if (chunk.id == kStreamFormatId) {
      if (haveFormat) {
        return AVIERR_BADFORMAT;
      }
      haveFormat = true;
      if (stream->info.fccType == streamtypeVIDEO) {
        result = ReadBitmapFormat(source, chunk, stream);
      } else if (stream->info.fccType == streamtypeAUDIO) {
        result = ReadWaveFormat(source, chunk, stream);
      } else {
        result = AVIERR_UNSUPPORTED;
      }
    } else if (chunk.id == kStreamNameId) {
      result = ReadStreamName(source, chunk, &stream->info);
    }
    if (result != AVIERR_OK) {
      return result;
    }
  }
  return haveFormat ? AVIERR_OK : AVIERR_BADFORMAT;
}

// The "hdrl" list: the main header first, then a "strl" list a stream.
HRESULT ParseHeaderList(AviSource& source, uint64_t position, uint64_t end, std::vector<AviStreamLayout>* streams) {
  Chunk chunk;
  HRESULT result = NextChunk(source, &position, end, &chunk);
  if (result != AVIERR_OK || chunk.id != kMainHeaderId || chunk.size < kMainHeaderBytes) {
    return result != AVIERR_OK ? result : AVIERR_BADFORMAT;
  }
  while (position < end) {
    DWORD type = 0;
    if ((result = NextEntry(source, &position, end, &chunk, &type)) != AVIERR_OK) {
      return result;
    }
    if (type != kStreamListType) {
      continue;
    }
    if (streams->size() == kMaxStreams) {
      return AVIERR_UNSUPPORTED;
    }
    AviStreamLayout stream = {};
    if ((result = ParseStreamList(source, chunk.body + kListTypeBytes, chunk.End(), &stream)) != AVIERR_OK) {
      return result;
    }
    streams->push_back(stream);
  }
  return AVIERR_OK;
}

// Exactly one video stream and at most one sound stream.
bool IsPlayableSet(const std::vector<AviStreamLayout>& streams) {
  size_t video = 0;
  size_t sound = 0;
  for (const AviStreamLayout& stream : streams) {
    video += stream.info.fccType == streamtypeVIDEO;
    sound += stream.info.fccType == streamtypeAUDIO;
  }
  return video == 1 && sound <= 1;
}

bool IsStandardIndex(DWORD id) { return static_cast<WORD>(id & 0xFFFF) == kStandardIndexPrefix; }

// A data chunk with its stream's number.
struct StreamChunk {
  size_t stream;
  AviChunk chunk;
};

// Whether a data chunk's id names a stream of the file and its size fits what
// that stream holds: a whole frame (or nothing) for video, whole blocks for
// sound.
bool ClassifyDataChunk(const std::vector<AviStreamLayout>& streams, DWORD id, uint32_t size, size_t* stream) {
  const int tens = static_cast<int>(id & 0xFF) - '0';
  const int units = static_cast<int>((id >> 8) & 0xFF) - '0';
  const WORD kind = static_cast<WORD>(id >> 16);
  if (tens < 0 || tens > 9 || units < 0 || units > 9) {
    return false;
  }
  *stream = static_cast<size_t>(tens * 10 + units);
  if (*stream >= streams.size()) {
    return false;
  }
  const AviStreamLayout& layout = streams[*stream];
  if (layout.info.fccType == streamtypeVIDEO) {
    return (kind == kUncompressedFrame || kind == kCompressedFrame) && (size == layout.imageSize || size == 0);
  }
  return kind == kWaveBytes && size % layout.wave.nBlockAlign == 0;
}

// The part of the file the data chunks must lie in.
struct MovieList {
  uint64_t type;  // offset of the "movi" type: the origin of relative offsets
  uint64_t end;
};

// Walks the "movi" list, descending into "rec " lists one level deep.
HRESULT WalkMovie(AviSource& source, uint64_t position, uint64_t end, bool inRecord,
                  const std::vector<AviStreamLayout>& streams, std::vector<StreamChunk>* chunks) {
  while (position < end) {
    Chunk chunk;
    DWORD type = 0;
    HRESULT result = NextEntry(source, &position, end, &chunk, &type);
    if (result != AVIERR_OK) {
      return result;
    }
    if (chunk.id == kJunkId || IsStandardIndex(chunk.id)) {
      continue;
    }
    if (chunk.id == kListId) {
      if (type != kRecordListType || inRecord) {
        return AVIERR_BADFORMAT;
      }
      result = WalkMovie(source, chunk.body + kListTypeBytes, chunk.End(), true, streams, chunks);
      if (result != AVIERR_OK) {
        return result;
      }
      continue;
    }
    size_t stream = 0;
    if (!ClassifyDataChunk(streams, chunk.id, chunk.size, &stream)) {
      return AVIERR_BADFORMAT;
    }
    chunks->push_back({stream, {chunk.body, chunk.size}});
  }
  return AVIERR_OK;
}

enum class IndexUse { kUsed, kUnusable, kReadError };

// Whether a chunk with this id and size starts at position inside the movie.
IndexUse CheckIndexedChunk(AviSource& source, const MovieList& movie, uint64_t position, DWORD id, uint32_t size) {
  const uint64_t first = movie.type + kListTypeBytes;
  if (position < first || position > movie.end || movie.end - position < kChunkHeaderBytes ||
      movie.end - position - kChunkHeaderBytes < size) {
    return IndexUse::kUnusable;
  }
  uint8_t header[kChunkHeaderBytes];
  if (!source.ReadAt(position, header, sizeof header)) {
    return IndexUse::kReadError;
  }
  return ReadU32(header) == id && ReadU32(header + 4) == size ? IndexUse::kUsed : IndexUse::kUnusable;
}

// The data chunks as "idx1" lists them, when every entry names a chunk that
// is there. Offsets count from the "movi" type or, in some files, from the
// start of the file; the first entry tells which.
IndexUse ReadIndex(AviSource& source, const Chunk& index, const MovieList& movie,
                   const std::vector<AviStreamLayout>& streams, std::vector<StreamChunk>* chunks) {
  if (index.size % kIndexEntryBytes != 0) {
    return IndexUse::kUnusable;
  }
  const size_t count = index.size / kIndexEntryBytes;
  std::vector<uint8_t> batch;
  bool baseKnown = false;
  uint64_t base = 0;
  for (size_t first = 0; first < count; first += kIndexEntriesPerRead) {
    const size_t entries = std::min(kIndexEntriesPerRead, count - first);
    batch.resize(entries * kIndexEntryBytes);
    if (!source.ReadAt(index.body + first * kIndexEntryBytes, batch.data(), batch.size())) {
      return IndexUse::kReadError;
    }
    for (size_t i = 0; i < entries; ++i) {
      const uint8_t* entry = batch.data() + i * kIndexEntryBytes;
      const DWORD id = ReadU32(entry);
      const uint32_t offset = ReadU32(entry + 8);
      const uint32_t size = ReadU32(entry + 12);
      if (id == kListId || id == kRecordListType || id == kJunkId || IsStandardIndex(id)) {
        continue;  // "rec " lists may be indexed too
      }
      size_t stream = 0;
      if (!ClassifyDataChunk(streams, id, size, &stream)) {
        return IndexUse::kUnusable;
      }
      IndexUse use = IndexUse::kUnusable;
      if (baseKnown) {
        use = CheckIndexedChunk(source, movie, base + offset, id, size);
      } else {
        for (uint64_t candidate : {movie.type, uint64_t{0}}) {
          use = CheckIndexedChunk(source, movie, candidate + offset, id, size);
          if (use != IndexUse::kUnusable) {
            base = candidate;
            baseKnown = true;
            break;
          }
        }
      }
      if (use != IndexUse::kUsed) {
        return use;
      }
      chunks->push_back({stream, {base + offset + kChunkHeaderBytes, size}});
    }
  }
  return chunks->empty() ? IndexUse::kUnusable : IndexUse::kUsed;
}

// Hands the data chunks, in play order, to their streams and counts each
// stream's length.
HRESULT DistributeChunks(const std::vector<StreamChunk>& chunks, std::vector<AviStreamLayout>* streams) {
  std::vector<uint64_t> lengths(streams->size(), 0);
  for (const StreamChunk& tagged : chunks) {
    AviStreamLayout& stream = (*streams)[tagged.stream];
    uint64_t& length = lengths[tagged.stream];
    if (stream.info.fccType == streamtypeVIDEO) {
      if (tagged.chunk.size == 0 && stream.chunks.empty()) {
        return AVIERR_BADFORMAT;  // nothing to repeat
      }
      stream.chunks.push_back(tagged.chunk.size == 0 ? stream.chunks.back() : tagged.chunk);
      ++length;
    } else if (tagged.chunk.size != 0) {
      stream.chunks.push_back(tagged.chunk);
      stream.firstSamples.push_back(static_cast<uint32_t>(length));
      length += tagged.chunk.size / stream.wave.nBlockAlign;
    }
    if (length > kMaxPosition - stream.info.dwStart) {
      return AVIERR_BADFORMAT;  // positions would not fit a LONG
    }
  }
  for (size_t i = 0; i < streams->size(); ++i) {
    (*streams)[i].info.dwLength = static_cast<DWORD>(lengths[i]);
  }
  return AVIERR_OK;
}

// The "AVIX" parts from position to the end of the file: the chunks of their
// "movi" lists follow those of the first part. "idx1" lists only the first
// part's, so these lists are always walked. A part cut short refuses the
// file rather than losing its frames; bytes after the last part that do not
// start another "RIFF" are ignored, as bytes after the first part always were.
HRESULT ReadExtensionParts(AviSource& source, uint64_t position, const std::vector<AviStreamLayout>& streams,
                           std::vector<StreamChunk>* chunks) {
  while (position < source.Size() && source.Size() - position >= kFileHeaderBytes) {
    uint8_t header[kFileHeaderBytes];
    if (!source.ReadAt(position, header, sizeof header)) {
      return AVIERR_FILEREAD;
    }
    if (ReadU32(header) != kRiffId) {
      return AVIERR_OK;
    }
    Chunk part;
    HRESULT result = NextChunk(source, &position, source.Size(), &part);
    if (result != AVIERR_OK || part.size < kListTypeBytes || ReadU32(header + 8) != kAviExtensionType) {
      return result != AVIERR_OK ? result : AVIERR_BADFORMAT;
    }
    uint64_t entry = part.body + kListTypeBytes;
    while (entry < part.End()) {
      Chunk chunk;
      DWORD type = 0;
      if ((result = NextEntry(source, &entry, part.End(), &chunk, &type)) != AVIERR_OK) {
        return result;
      }
      if (type == kMovieListType &&
          (result = WalkMovie(source, chunk.body + kListTypeBytes, chunk.End(), false, streams, chunks)) != AVIERR_OK) {
        return result;
      }
    }
  }
  return AVIERR_OK;
}

}  // namespace

AviSource::AviSource(FILE* file) : mFile(file) {
  if (mFile != nullptr && fseeko(mFile, 0, SEEK_END) == 0) {
    const off_t size = ftello(mFile);
    mSize = size > 0 ? static_cast<uint64_t>(size) : 0;
  }
}

AviSource::AviSource(std::vector<uint8_t> bytes) : mBytes(std::move(bytes)), mSize(mBytes.size()) {}

AviSource::~AviSource() {
  if (mFile != nullptr) {
    fclose(mFile);
  }
}

bool AviSource::ReadAt(uint64_t offset, void* out, size_t bytes) {
  if (offset > mSize || bytes > mSize - offset) {
    return false;
  }
  if (bytes == 0) {
    return true;
  }
  if (mFile == nullptr) {
    memcpy(out, mBytes.data() + offset, bytes);
    return true;
  }
  return fseeko(mFile, static_cast<off_t>(offset), SEEK_SET) == 0 && fread(out, 1, bytes, mFile) == bytes;
}

HRESULT ParseAviLayout(AviSource& source, std::vector<AviStreamLayout>* streams) {
  streams->clear();
  uint8_t header[kFileHeaderBytes];
  if (!source.ReadAt(0, header, sizeof header)) {
    return AVIERR_BADFORMAT;
  }
  const uint64_t end = uint64_t{kChunkHeaderBytes} + ReadU32(header + 4);
  if (ReadU32(header) != kRiffId || ReadU32(header + 8) != kAviType || end < kFileHeaderBytes || end > source.Size()) {
    return AVIERR_BADFORMAT;
  }
  bool haveHeader = false;
  bool haveMovie = false;
  bool haveIndex = false;
  MovieList movie = {};
  Chunk index = {};
  uint64_t position = kFileHeaderBytes;
  while (position < end) {
    Chunk chunk;
    DWORD type = 0;
    HRESULT result = NextEntry(source, &position, end, &chunk, &type);
    if (result != AVIERR_OK) {
      return result;
    }
    if (!haveHeader) {
      // The header list comes first.
      if (type != kHeaderListType) {
        return AVIERR_BADFORMAT;
      }
      haveHeader = true;
      if ((result = ParseHeaderList(source, chunk.body + kListTypeBytes, chunk.End(), streams)) != AVIERR_OK) {
        return result;
      }
    } else if (type == kMovieListType) {
      if (haveMovie) {
        return AVIERR_BADFORMAT;
      }
      haveMovie = true;
      movie = {chunk.body, chunk.End()};
    } else if (chunk.id == kIndexId) {
      if (haveIndex) {
        return AVIERR_BADFORMAT;
      }
      haveIndex = true;
      index = chunk;
    }
  }
  if (!haveMovie) {
    return AVIERR_BADFORMAT;
  }
  if (!IsPlayableSet(*streams)) {
    return AVIERR_UNSUPPORTED;
  }
  std::vector<StreamChunk> chunks;
  const IndexUse use = haveIndex ? ReadIndex(source, index, movie, *streams, &chunks) : IndexUse::kUnusable;
  if (use == IndexUse::kReadError) {
    return AVIERR_FILEREAD;
  }
  if (use == IndexUse::kUnusable) {
    chunks.clear();
    HRESULT result = WalkMovie(source, movie.type + kListTypeBytes, movie.end, false, *streams, &chunks);
    if (result != AVIERR_OK) {
      return result;
    }
  }
  HRESULT result = ReadExtensionParts(source, end + (end & 1), *streams, &chunks);
  if (result != AVIERR_OK) {
    return result;
  }
  return DistributeChunks(chunks, streams);
}

}  // namespace vfw
