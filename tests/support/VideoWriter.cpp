#include "support/VideoWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
}

#include <cmath>
#include <numbers>

namespace {

struct RWriter {
  AVFormatContext* format = nullptr;
  AVCodecContext* picture = nullptr;
  AVCodecContext* sound = nullptr;
  AVStream* picture_stream = nullptr;
  AVStream* sound_stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;

  ~RWriter() {
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&picture);
    avcodec_free_context(&sound);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }

  bool Send(AVCodecContext* codec, AVStream* stream, const AVFrame* f) {
    if (avcodec_send_frame(codec, f) < 0) return false;
    while (avcodec_receive_packet(codec, packet) >= 0) {
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(format, packet) < 0) return false;
    }
    return true;
  }
};

// BT.601 limited range, as the decoder reads it back.
void ToYuv(uint32_t rgb, uint8_t& y, uint8_t& u, uint8_t& v) {
  const double r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  y = static_cast<uint8_t>(std::lround(16 + 0.257 * r + 0.504 * g + 0.098 * b));
  u = static_cast<uint8_t>(std::lround(128 - 0.148 * r - 0.291 * g + 0.439 * b));
  v = static_cast<uint8_t>(std::lround(128 + 0.439 * r - 0.368 * g - 0.071 * b));
}

}  // namespace

bool WriteTestVideo(const std::string& path, const RTestVideo& video) {
  RWriter w;
  if (avformat_alloc_output_context2(&w.format, nullptr, "matroska", path.c_str()) < 0) return false;
  const AVCodec* mpeg4 = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (!mpeg4 || !(w.picture = avcodec_alloc_context3(mpeg4))) return false;
  w.picture->width = video.width;
  w.picture->height = video.height;
  w.picture->time_base = AVRational{1, video.fps};
  w.picture->framerate = AVRational{video.fps, 1};
  w.picture->pix_fmt = AV_PIX_FMT_YUV420P;
  w.picture->gop_size = 1;
  w.picture->max_b_frames = 0;
  w.picture->thread_count = 1;
  w.picture->flags |= AV_CODEC_FLAG_QSCALE;
  w.picture->global_quality = FF_QP2LAMBDA * 2;
  if (w.format->oformat->flags & AVFMT_GLOBALHEADER) w.picture->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(w.picture, mpeg4, nullptr) < 0) return false;
  w.picture_stream = avformat_new_stream(w.format, nullptr);
  if (!w.picture_stream || avcodec_parameters_from_context(w.picture_stream->codecpar, w.picture) < 0) return false;
  w.picture_stream->time_base = w.picture->time_base;

  const int rate = 22050;
  if (video.sound) {
    const AVCodec* pcm = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    if (!pcm || !(w.sound = avcodec_alloc_context3(pcm))) return false;
    w.sound->sample_fmt = AV_SAMPLE_FMT_S16;
    w.sound->sample_rate = rate;
    w.sound->time_base = AVRational{1, rate};
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    av_channel_layout_copy(&w.sound->ch_layout, &mono);
    if (avcodec_open2(w.sound, pcm, nullptr) < 0) return false;
    w.sound_stream = avformat_new_stream(w.format, nullptr);
    if (!w.sound_stream || avcodec_parameters_from_context(w.sound_stream->codecpar, w.sound) < 0) return false;
    w.sound_stream->time_base = w.sound->time_base;
  }
  if (avio_open(&w.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return false;
  if (avformat_write_header(w.format, nullptr) < 0) return false;
  w.frame = av_frame_alloc();
  w.packet = av_packet_alloc();
  if (!w.frame || !w.packet) return false;

  const int samples_per_picture = rate / video.fps;
  for (size_t i = 0; i < video.colours.size(); ++i) {
    av_frame_unref(w.frame);
    w.frame->format = AV_PIX_FMT_YUV420P;
    w.frame->width = video.width;
    w.frame->height = video.height;
    if (av_frame_get_buffer(w.frame, 0) < 0) return false;
    uint8_t y, u, v;
    ToYuv(video.colours[i], y, u, v);
    for (int row = 0; row < video.height; ++row) std::fill_n(w.frame->data[0] + row * w.frame->linesize[0], video.width, y);
    for (int row = 0; row < video.height / 2; ++row) {
      std::fill_n(w.frame->data[1] + row * w.frame->linesize[1], video.width / 2, u);
      std::fill_n(w.frame->data[2] + row * w.frame->linesize[2], video.width / 2, v);
    }
    w.frame->pts = static_cast<int64_t>(i);
    if (!w.Send(w.picture, w.picture_stream, w.frame)) return false;

    if (w.sound) {
      av_frame_unref(w.frame);
      w.frame->format = AV_SAMPLE_FMT_S16;
      w.frame->sample_rate = rate;
      w.frame->nb_samples = samples_per_picture;
      AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
      av_channel_layout_copy(&w.frame->ch_layout, &mono);
      if (av_frame_get_buffer(w.frame, 0) < 0) return false;
      auto* samples = reinterpret_cast<int16_t*>(w.frame->data[0]);
      for (int s = 0; s < samples_per_picture; ++s) {
        const double t = double(int64_t(i) * samples_per_picture + s) / rate;
        samples[s] = static_cast<int16_t>(8000 * std::sin(2 * std::numbers::pi * 440 * t));
      }
      w.frame->pts = static_cast<int64_t>(i) * samples_per_picture;
      if (!w.Send(w.sound, w.sound_stream, w.frame)) return false;
    }
  }
  if (!w.Send(w.picture, w.picture_stream, nullptr)) return false;
  if (w.sound && !w.Send(w.sound, w.sound_stream, nullptr)) return false;
  return av_write_trailer(w.format) >= 0;
}
