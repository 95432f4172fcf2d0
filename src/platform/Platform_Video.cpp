#include "platform/Platform_Video.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Platform_Audio.h"

namespace {

constexpr int kIoBufferSize = 32768;
// Sound decoded ahead of the device: two seconds is far more than any file
// interleaves its sound ahead of its pictures; what does not fit is dropped.
constexpr size_t kSoundRingFrames = AUDIO_RATE * 2;
// Packets read in search of one picture before the rest counts as broken.
constexpr int kMaxPacketsPerFrame = 4096;

}  // namespace

struct RVideo {
  // The bytes of a video opened from memory, and how far they are read.
  const uint8_t* data = nullptr;
  size_t size = 0, offset = 0;
  AVIOContext* io = nullptr;

  AVFormatContext* format = nullptr;
  AVCodecContext* picture_codec = nullptr;
  AVCodecContext* sound_codec = nullptr;
  int picture_stream = -1, sound_stream = -1;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  SwsContext* scaler = nullptr;
  SwrContext* resampler = nullptr;
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;
  std::vector<int16_t> converted;  // resampled sound, reused
  bool drained = false;            // the end of the file reached the picture decoder
  int64_t last_time_us = 0;

  // Sound on its way to the device: a ring of stereo frames, read by the
  // mixing thread under the audio lock.
  std::vector<int16_t> ring = std::vector<int16_t>(kSoundRingFrames * 2);
  size_t ring_read = 0, ring_count = 0;
  int32_t channel = -1;
  int64_t sound_frames = 0;
};

namespace {

int ReadMemory(void* opaque, uint8_t* buffer, int size) {
  auto* v = static_cast<RVideo*>(opaque);
  const size_t left = v->size - v->offset;
  if (left == 0) return AVERROR_EOF;
  const size_t n = std::min(left, static_cast<size_t>(size));
  std::memcpy(buffer, v->data + v->offset, n);
  v->offset += n;
  return static_cast<int>(n);
}

int64_t SeekMemory(void* opaque, int64_t offset, int whence) {
  auto* v = static_cast<RVideo*>(opaque);
  if (whence & AVSEEK_SIZE) return static_cast<int64_t>(v->size);
  int64_t base = 0;
  switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<int64_t>(v->offset); break;
    case SEEK_END: base = static_cast<int64_t>(v->size); break;
    default: return -1;
  }
  if (offset > static_cast<int64_t>(v->size) - base || base + offset < 0) return -1;
  v->offset = static_cast<size_t>(base + offset);
  return static_cast<int64_t>(v->offset);
}

AVCodecContext* OpenDecoder(AVStream* stream) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) return nullptr;
  AVCodecContext* context = avcodec_alloc_context3(codec);
  if (!context) return nullptr;
  // One thread: decoding stays on the engine's thread and deterministic.
  context->thread_count = 1;
  if (avcodec_parameters_to_context(context, stream->codecpar) < 0 || avcodec_open2(context, codec, nullptr) < 0) {
    avcodec_free_context(&context);
    return nullptr;
  }
  return context;
}

// The mixing thread's side of the ring (the audio lock is held).
void FeedSound(int16_t* frames, int32_t frame_count, void* user) {
  auto* v = static_cast<RVideo*>(user);
  const size_t n = std::min(v->ring_count, static_cast<size_t>(frame_count));
  for (size_t i = 0; i < n; ++i) {
    const size_t at = (v->ring_read + i) % kSoundRingFrames;
    frames[2 * i] = v->ring[2 * at];
    frames[2 * i + 1] = v->ring[2 * at + 1];
  }
  v->ring_read = (v->ring_read + n) % kSoundRingFrames;
  v->ring_count -= n;
}

void QueueSound(RVideo* v, const int16_t* frames, size_t count) {
  v->sound_frames += static_cast<int64_t>(count);
  if (v->channel < 0) return;
  CAudioLock lock;
  const size_t room = kSoundRingFrames - v->ring_count;
  count = std::min(count, room);
  for (size_t i = 0; i < count; ++i) {
    const size_t at = (v->ring_read + v->ring_count + i) % kSoundRingFrames;
    v->ring[2 * at] = frames[2 * i];
    v->ring[2 * at + 1] = frames[2 * i + 1];
  }
  v->ring_count += count;
}

bool PrepareResampler(RVideo* v) {
  if (v->resampler) return true;
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  AVCodecContext* c = v->sound_codec;
  if (c->ch_layout.nb_channels <= 0 || c->sample_rate <= 0) return false;
  if (swr_alloc_set_opts2(&v->resampler, &stereo, AV_SAMPLE_FMT_S16, AUDIO_RATE, &c->ch_layout, c->sample_fmt,
                          c->sample_rate, 0, nullptr) < 0 ||
      swr_init(v->resampler) < 0) {
    swr_free(&v->resampler);
    return false;
  }
  return true;
}

void DecodeSound(RVideo* v, const AVPacket* packet) {
  if (avcodec_send_packet(v->sound_codec, packet) < 0) return;
  while (avcodec_receive_frame(v->sound_codec, v->frame) >= 0) {
    if (PrepareResampler(v)) {
      const int out = swr_get_out_samples(v->resampler, v->frame->nb_samples);
      if (out > 0) {
        v->converted.resize(static_cast<size_t>(out) * 2);
        uint8_t* dest[1] = {reinterpret_cast<uint8_t*>(v->converted.data())};
        const int got = swr_convert(v->resampler, dest, out, const_cast<const uint8_t**>(v->frame->extended_data),
                                    v->frame->nb_samples);
        if (got > 0) QueueSound(v, v->converted.data(), static_cast<size_t>(got));
      }
    }
    av_frame_unref(v->frame);
  }
}

// Turns the decoded picture into the pixel buffer.
bool ConvertPicture(RVideo* v, int64_t& time_us) {
  AVFrame* f = v->frame;
  if (f->width != v->width || f->height != v->height) return false;
  v->scaler = sws_getCachedContext(v->scaler, f->width, f->height, static_cast<AVPixelFormat>(f->format), v->width,
                                   v->height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!v->scaler) return false;
  uint8_t* dest[4] = {reinterpret_cast<uint8_t*>(v->pixels.data()), nullptr, nullptr, nullptr};
  int pitch[4] = {v->width * 4, 0, 0, 0};
  if (sws_scale(v->scaler, f->data, f->linesize, 0, f->height, dest, pitch) != v->height) return false;
  const AVStream* stream = v->format->streams[v->picture_stream];
  const int64_t pts = f->best_effort_timestamp;
  if (pts != AV_NOPTS_VALUE) {
    const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    time_us = std::max<int64_t>(0, av_rescale_q(pts - start, stream->time_base, AVRational{1, 1000000}));
  } else {
    // No time stamp: the picture follows the last one at the stream's rate.
    const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : AVRational{25, 1};
    time_us = v->last_time_us + av_rescale_q(1, av_inv_q(rate), AVRational{1, 1000000});
  }
  v->last_time_us = time_us;
  return true;
}

// The picture decoder's next picture, if it has one ready.
int ReceivePicture(RVideo* v, int64_t& time_us) {
  const int got = avcodec_receive_frame(v->picture_codec, v->frame);
  if (got < 0) return got;
  const bool ok = ConvertPicture(v, time_us);
  av_frame_unref(v->frame);
  return ok ? 0 : AVERROR_INVALIDDATA;
}

// The libraries' own complaints about broken files would reach stderr; the
// engine reports a video that cannot be played in its own words.
void QuietLibraries() {
  static const bool quiet = (av_log_set_level(AV_LOG_QUIET), true);
  (void)quiet;
}

RVideo* Finish(RVideo* v, std::string& error) {
  if (avformat_find_stream_info(v->format, nullptr) < 0) {
    error = "no stream information";
    PlatformVideo_Close(v);
    return nullptr;
  }
  v->picture_stream = av_find_best_stream(v->format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (v->picture_stream < 0 || !(v->picture_codec = OpenDecoder(v->format->streams[v->picture_stream]))) {
    error = "no picture stream that can be decoded";
    PlatformVideo_Close(v);
    return nullptr;
  }
  v->width = v->picture_codec->width;
  v->height = v->picture_codec->height;
  if (v->width <= 0 || v->height <= 0 || v->width > VIDEO_MAX_SIDE || v->height > VIDEO_MAX_SIDE) {
    error = "unusable picture size";
    PlatformVideo_Close(v);
    return nullptr;
  }
  v->pixels.assign(static_cast<size_t>(v->width) * static_cast<size_t>(v->height), 0xFF000000u);
  v->sound_stream = av_find_best_stream(v->format, AVMEDIA_TYPE_AUDIO, -1, v->picture_stream, nullptr, 0);
  if (v->sound_stream >= 0) {
    v->sound_codec = OpenDecoder(v->format->streams[v->sound_stream]);
    if (!v->sound_codec) v->sound_stream = -1;
  }
  v->packet = av_packet_alloc();
  v->frame = av_frame_alloc();
  if (!v->packet || !v->frame) {
    error = "out of memory";
    PlatformVideo_Close(v);
    return nullptr;
  }
  return v;
}

}  // namespace

RVideo* PlatformVideo_Open(const std::string& path, std::string& error) {
  QuietLibraries();
  auto* v = new RVideo;
  if (avformat_open_input(&v->format, path.c_str(), nullptr, nullptr) < 0) {
    error = "cannot open " + path;
    delete v;
    return nullptr;
  }
  return Finish(v, error);
}

RVideo* PlatformVideo_OpenMemory(const uint8_t* data, size_t size, std::string& error) {
  QuietLibraries();
  auto* v = new RVideo;
  v->data = data;
  v->size = data ? size : 0;
  auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
  v->io = buffer ? avio_alloc_context(buffer, kIoBufferSize, 0, v, ReadMemory, nullptr, SeekMemory) : nullptr;
  v->format = avformat_alloc_context();
  if (!v->io || !v->format) {
    if (!v->io) av_free(buffer);
    error = "out of memory";
    PlatformVideo_Close(v);
    return nullptr;
  }
  v->format->pb = v->io;
  v->format->flags |= AVFMT_FLAG_CUSTOM_IO;
  if (avformat_open_input(&v->format, nullptr, nullptr, nullptr) < 0) {
    // A failed open frees the format context but not our reader.
    error = "not a video";
    PlatformVideo_Close(v);
    return nullptr;
  }
  return Finish(v, error);
}

void PlatformVideo_Close(RVideo* v) {
  if (!v) return;
  PlatformVideo_SetSound(v, false);
  sws_freeContext(v->scaler);
  swr_free(&v->resampler);
  av_frame_free(&v->frame);
  av_packet_free(&v->packet);
  avcodec_free_context(&v->picture_codec);
  avcodec_free_context(&v->sound_codec);
  avformat_close_input(&v->format);
  if (v->io) {
    av_freep(&v->io->buffer);
    avio_context_free(&v->io);
  }
  delete v;
}

int32_t PlatformVideo_Width(const RVideo* v) { return v ? v->width : 0; }
int32_t PlatformVideo_Height(const RVideo* v) { return v ? v->height : 0; }
bool PlatformVideo_HasSound(const RVideo* v) { return v && v->sound_stream >= 0; }

bool PlatformVideo_NextFrame(RVideo* v, const uint32_t*& pixels, int64_t& time_us) {
  if (!v) return false;
  pixels = v->pixels.data();
  for (int packets = 0; packets < kMaxPacketsPerFrame; ++packets) {
    const int ready = ReceivePicture(v, time_us);
    if (ready == 0) return true;
    if (ready == AVERROR_EOF || v->drained) return false;
    if (ready != AVERROR(EAGAIN)) return false;
    if (av_read_frame(v->format, v->packet) < 0) {
      // The end: let the decoder give up the pictures it still holds.
      v->drained = true;
      avcodec_send_packet(v->picture_codec, nullptr);
      return ReceivePicture(v, time_us) == 0;
    }
    if (v->packet->stream_index == v->picture_stream)
      avcodec_send_packet(v->picture_codec, v->packet);
    else if (v->packet->stream_index == v->sound_stream)
      DecodeSound(v, v->packet);
    av_packet_unref(v->packet);
  }
  return false;
}

bool PlatformVideo_Rewind(RVideo* v) {
  if (!v) return false;
  if (av_seek_frame(v->format, v->picture_stream, v->format->streams[v->picture_stream]->start_time == AV_NOPTS_VALUE
                                                       ? 0
                                                       : v->format->streams[v->picture_stream]->start_time,
                    AVSEEK_FLAG_BACKWARD) < 0 &&
      avformat_seek_file(v->format, -1, INT64_MIN, 0, 0, 0) < 0)
    return false;
  avcodec_flush_buffers(v->picture_codec);
  if (v->sound_codec) avcodec_flush_buffers(v->sound_codec);
  v->drained = false;
  v->last_time_us = 0;
  return true;
}

void PlatformVideo_SetSound(RVideo* v, bool on) {
  if (!v) return;
  if (on && v->channel < 0 && v->sound_stream >= 0) {
    v->channel = Platform_AudioPlayFeed(FeedSound, v);
  } else if (!on && v->channel >= 0) {
    Platform_AudioHalt(v->channel);
    CAudioLock lock;
    Platform_AudioSetChannelHook(v->channel, nullptr, nullptr);
    v->channel = -1;
    v->ring_count = 0;
  }
}

int64_t PlatformVideo_SoundFramesDecoded(const RVideo* v) { return v ? v->sound_frames : 0; }
