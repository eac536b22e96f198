// OggWriter: libvorbisenc's variable bit-rate encoder into one logical
// stream; OggPage: a page header laid out byte by byte.
#include "tools/forge/files/ogg_writer.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace {

constexpr size_t kFramesPerWrite = 1024;
constexpr float kSampleScale = 1.0f / 32768.0f;

void AppendPage(std::string* out, const ogg_page& page) {
  out->append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
  out->append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
}

struct tEncoder {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
};

// Everything the analysis has finished, as pages; flush forces out the last.
void DrainPages(tEncoder* e, std::string* out, bool flush) {
  ogg_packet packet;
  ogg_page page;
  while (vorbis_analysis_blockout(&e->dsp, &e->block) == 1) {
    vorbis_analysis(&e->block, nullptr);
    vorbis_bitrate_addblock(&e->block);
    while (vorbis_bitrate_flushpacket(&e->dsp, &packet) == 1) {
      ogg_stream_packetin(&e->stream, &packet);
    }
  }
  while (ogg_stream_pageout(&e->stream, &page) != 0) {
    AppendPage(out, page);
  }
  while (flush && ogg_stream_flush(&e->stream, &page) != 0) {
    AppendPage(out, page);
  }
}

}  // namespace

OggWriter OggWriter::Vorbis(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples) {
  OggWriter writer;
  writer.channels = channels;
  writer.rate = rate;
  writer.samples = samples;
  return writer;
}

std::string OggWriter::Build() const {
  tEncoder e;
  vorbis_info_init(&e.info);
  if (vorbis_encode_init_vbr(&e.info, channels, static_cast<long>(rate), quality) != 0) {
    vorbis_info_clear(&e.info);
    return std::string();
  }
  vorbis_comment_init(&e.comment);
  vorbis_analysis_init(&e.dsp, &e.info);
  vorbis_block_init(&e.dsp, &e.block);
  ogg_stream_init(&e.stream, serial);

  std::string out;
  ogg_packet identification;
  ogg_packet comments;
  ogg_packet setup;
  vorbis_analysis_headerout(&e.dsp, &e.comment, &identification, &comments, &setup);
  ogg_stream_packetin(&e.stream, &identification);
  ogg_page page;
  // The identification header always has a page of its own.
  if (ogg_stream_flush(&e.stream, &page) != 0) {
    AppendPage(&out, page);
  }
  if (!firstHeaderOnly) {
    ogg_stream_packetin(&e.stream, &comments);
    ogg_stream_packetin(&e.stream, &setup);
    while (ogg_stream_flush(&e.stream, &page) != 0) {
      AppendPage(&out, page);
    }
    const size_t frames = channels == 0 ? 0 : samples.size() / channels;
    for (size_t first = 0; first < frames; first += kFramesPerWrite) {
      const size_t count = std::min(kFramesPerWrite, frames - first);
      float** buffer = vorbis_analysis_buffer(&e.dsp, static_cast<int>(count));
      for (size_t i = 0; i < count; i++) {
        for (size_t c = 0; c < channels; c++) {
          buffer[c][i] = samples[(first + i) * channels + c] * kSampleScale;
        }
      }
      vorbis_analysis_wrote(&e.dsp, static_cast<int>(count));
      DrainPages(&e, &out, false);
    }
    vorbis_analysis_wrote(&e.dsp, 0);
    DrainPages(&e, &out, true);
  }

  ogg_stream_clear(&e.stream);
  vorbis_block_clear(&e.block);
  vorbis_dsp_clear(&e.dsp);
  vorbis_comment_clear(&e.comment);
  vorbis_info_clear(&e.info);
  if (truncateTo >= 0 && static_cast<size_t>(truncateTo) < out.size()) {
    out.resize(static_cast<size_t>(truncateTo));
  }
  return out;
}

std::string OggPage(const std::vector<uint8_t>& lacing, const std::string& body, uint8_t headerType, uint8_t version,
                    uint8_t sequence) {
  std::string header = "OggS";
  header.push_back(static_cast<char>(version));
  header.push_back(static_cast<char>(headerType));
  header.append(8, '\0');          // granule position
  header.append("\x01\0\0\0", 4);  // serial number
  header.push_back(static_cast<char>(sequence));
  header.append(3, '\0');
  header.append(4, '\0');  // checksum, set below
  header.push_back(static_cast<char>(lacing.size()));
  header.append(lacing.begin(), lacing.end());
  ogg_page page;
  page.header = reinterpret_cast<unsigned char*>(&header[0]);
  page.header_len = static_cast<long>(header.size());
  page.body = reinterpret_cast<unsigned char*>(const_cast<char*>(body.data()));
  page.body_len = static_cast<long>(body.size());
  ogg_page_checksum_set(&page);
  return header + body;
}
