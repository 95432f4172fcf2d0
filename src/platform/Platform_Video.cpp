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

// ---------------------------------------------------------------------------
// Writing

namespace {

struct RWriter {
  AVFormatContext* format = nullptr;
  AVCodecContext* picture = nullptr;
  AVCodecContext* sound = nullptr;
  AVStream* picture_stream = nullptr;
  AVStream* sound_stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scaler = nullptr;

  ~RWriter() {
    sws_freeContext(scaler);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&picture);
    avcodec_free_context(&sound);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }

  // Encodes a frame (null: the end) and writes what the encoder gives back.
  bool Send(AVCodecContext* codec, AVStream* stream, const AVFrame* f) {
    if (avcodec_send_frame(codec, f) < 0) return false;
    while (avcodec_receive_packet(codec, packet) >= 0) {
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(format, packet) < 0) return false;
    }
    return true;
  }

  AVStream* AddStream(AVCodecContext* codec) {
    if (format->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(codec, codec->codec, nullptr) < 0) return nullptr;
    AVStream* stream = avformat_new_stream(format, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, codec) < 0) return nullptr;
    stream->time_base = codec->time_base;
    return stream;
  }
};

bool Fail(std::string& error, const char* reason) {
  error = reason;
  return false;
}

}  // namespace

bool PlatformVideo_Write(const std::string& path, const RVideoWrite& video, std::string& error) {
  QuietLibraries();
  const int32_t w = video.width, h = video.height;
  if (w < 2 || h < 2 || w % 2 || h % 2 || w > VIDEO_MAX_SIDE || h > VIDEO_MAX_SIDE || video.fps < 1)
    return Fail(error, "unusable picture size or rate");
  for (const std::vector<uint32_t>& p : video.pictures)
    if (p.size() != size_t(w) * size_t(h)) return Fail(error, "a picture of the wrong size");
  const bool with_sound = !video.sound.empty();
  if (with_sound && (video.sound_rate < 1 || video.sound.size() % 2)) return Fail(error, "unusable sound");
  RWriter wr;
  if (avformat_alloc_output_context2(&wr.format, nullptr, "matroska", path.c_str()) < 0)
    return Fail(error, "no Matroska writer");
  const AVCodec* mpeg4 = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (!mpeg4 || !(wr.picture = avcodec_alloc_context3(mpeg4))) return Fail(error, "no MPEG-4 encoder");
  wr.picture->width = w;
  wr.picture->height = h;
  wr.picture->time_base = AVRational{1, video.fps};
  wr.picture->framerate = AVRational{video.fps, 1};
  wr.picture->pix_fmt = AV_PIX_FMT_YUV420P;
  wr.picture->gop_size = 1;  // every picture stands alone: exact seeking, no drift
  wr.picture->max_b_frames = 0;
  wr.picture->thread_count = 1;
  wr.picture->flags |= AV_CODEC_FLAG_QSCALE;
  wr.picture->global_quality = FF_QP2LAMBDA * 2;
  if (!(wr.picture_stream = wr.AddStream(wr.picture))) return Fail(error, "cannot encode pictures");
  if (with_sound) {
    const AVCodec* pcm = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    if (!pcm || !(wr.sound = avcodec_alloc_context3(pcm))) return Fail(error, "no PCM encoder");
    wr.sound->sample_fmt = AV_SAMPLE_FMT_S16;
    wr.sound->sample_rate = video.sound_rate;
    wr.sound->time_base = AVRational{1, video.sound_rate};
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&wr.sound->ch_layout, &stereo);
    if (!(wr.sound_stream = wr.AddStream(wr.sound))) return Fail(error, "cannot encode sound");
  }
  if (avio_open(&wr.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return Fail(error, "cannot create the file");
  if (avformat_write_header(wr.format, nullptr) < 0) return Fail(error, "cannot write the header");
  wr.frame = av_frame_alloc();
  wr.packet = av_packet_alloc();
  wr.scaler = sws_getContext(w, h, AV_PIX_FMT_BGRA, w, h, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!wr.frame || !wr.packet || !wr.scaler) return Fail(error, "out of memory");

  // Sound goes in pieces of one picture's length, beside its picture.
  const size_t sound_per_picture = size_t(std::max(1, video.sound_rate / video.fps));
  size_t sound_at = 0;
  for (size_t i = 0; i < video.pictures.size() || (with_sound && sound_at * 2 < video.sound.size()); ++i) {
    if (i < video.pictures.size()) {
      av_frame_unref(wr.frame);
      wr.frame->format = AV_PIX_FMT_YUV420P;
      wr.frame->width = w;
      wr.frame->height = h;
      if (av_frame_get_buffer(wr.frame, 0) < 0) return Fail(error, "out of memory");
      const uint8_t* source[1] = {reinterpret_cast<const uint8_t*>(video.pictures[i].data())};
      const int pitch[1] = {w * 4};
      sws_scale(wr.scaler, source, pitch, 0, h, wr.frame->data, wr.frame->linesize);
      wr.frame->pts = static_cast<int64_t>(i);
      if (!wr.Send(wr.picture, wr.picture_stream, wr.frame)) return Fail(error, "cannot encode a picture");
    }
    if (with_sound && sound_at * 2 < video.sound.size()) {
      const size_t count = std::min(sound_per_picture, video.sound.size() / 2 - sound_at);
      av_frame_unref(wr.frame);
      wr.frame->format = AV_SAMPLE_FMT_S16;
      wr.frame->sample_rate = video.sound_rate;
      wr.frame->nb_samples = static_cast<int>(count);
      AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
      av_channel_layout_copy(&wr.frame->ch_layout, &stereo);
      if (av_frame_get_buffer(wr.frame, 0) < 0) return Fail(error, "out of memory");
      std::memcpy(wr.frame->data[0], video.sound.data() + sound_at * 2, count * 4);
      wr.frame->pts = static_cast<int64_t>(sound_at);
      sound_at += count;
      if (!wr.Send(wr.sound, wr.sound_stream, wr.frame)) return Fail(error, "cannot encode the sound");
    }
  }
  if (!wr.Send(wr.picture, wr.picture_stream, nullptr) || (with_sound && !wr.Send(wr.sound, wr.sound_stream, nullptr)))
    return Fail(error, "cannot finish the streams");
  return av_write_trailer(wr.format) >= 0 || Fail(error, "cannot finish the file");
}
