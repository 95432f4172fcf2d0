// Platform_Video: video files decoded picture by picture (FFmpeg's libraries
// underneath). Pictures come as 0xAARRGGBB pixels at the video's own size;
// the sound that comes with them can be played through the audio device while
// the pictures are read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The largest side a video may have; bigger ones are refused at open.
constexpr int32_t VIDEO_MAX_SIDE = 8192;

struct RVideo;

// Opens a video file; null (with a reason in `error`) when it is missing or
// holds no picture stream this machine can decode.
RVideo* PlatformVideo_Open(const std::string& path, std::string& error);
// The same over bytes in memory; the bytes must stay alive and unchanged
// until the video is closed.
RVideo* PlatformVideo_OpenMemory(const uint8_t* data, size_t size, std::string& error);
// Stops its sound and frees everything. Null is ignored.
void PlatformVideo_Close(RVideo* video);

int32_t PlatformVideo_Width(const RVideo* video);
int32_t PlatformVideo_Height(const RVideo* video);
bool PlatformVideo_HasSound(const RVideo* video);

// Decodes the next picture. `pixels` then points at width x height pixels,
// rows top first, valid until the next call on this video; `time_us` is when
// the picture is due, in microseconds from the start. False at the end of
// the video or when the rest cannot be decoded.
bool PlatformVideo_NextFrame(RVideo* video, const uint32_t*& pixels, int64_t& time_us);
// Goes back to the start (for looping); false when the file cannot seek.
bool PlatformVideo_Rewind(RVideo* video);

// Plays the video's sound through the audio device from now on, as it is
// decoded beside the pictures; off drops it. Without a device nothing plays,
// and the sound is still decoded and counted.
void PlatformVideo_SetSound(RVideo* video, bool on);
// Sound frames (stereo at AUDIO_RATE) decoded so far, over all loops.
int64_t PlatformVideo_SoundFramesDecoded(const RVideo* video);

// A video to write: pictures of width x height (0xAARRGGBB, rows top first,
// alpha ignored) at `fps` per second, and optionally sound beside them
// (interleaved 16-bit stereo frames at `sound_rate` per second).
struct RVideoWrite {
  int32_t width = 0, height = 0;  // even sizes
  int32_t fps = 25;
  std::vector<std::vector<uint32_t>> pictures;
  std::vector<int16_t> sound;
  int32_t sound_rate = 22050;
};
// Writes it as a Matroska file (MPEG-4 pictures, PCM sound); false with a
// reason in `error` when it cannot. Used to make videos for demonstrations
// and tests on the machine itself.
bool PlatformVideo_Write(const std::string& path, const RVideoWrite& video, std::string& error);
