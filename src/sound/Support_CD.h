// Support_CD: audio CD playback. Games speak to the drive in command strings
// naming the device "cdaudio" ("play cdaudio from 3 to 6", "status cdaudio
// mode", ...) and read the reply text; the CD built-ins are made of such
// commands. The commands are carried out on a drive: the computer's CD drive,
// or a drive that a test sets up.
//
// State: the drive in use and the command interpreter's time format, for the
// life of the program; CD_Reset puts back the computer's drive and the
// default format.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Positions on a disc are counted in frames of 1/75 second from the start of
// the disc's address space, as the drive reports them.
constexpr int32_t CD_FRAMES_PER_SECOND = 75;

enum class ECDMode { NoDisc, DoorOpen, Stopped, Playing, Paused };

// What the commands need of a drive. A drive that is not there answers
// Available() false and nothing else is asked of it.
class CCDDrive {
 public:
  virtual ~CCDDrive() = default;
  virtual bool Available() = 0;
  virtual ECDMode Mode() = 0;
  // Number of tracks; 0 without a disc.
  virtual int32_t TrackCount() = 0;
  // First frame of track 1 .. count; count + 1 gives the end of the disc.
  virtual int32_t TrackStart(int32_t track) = 0;
  // The frame being played, or where play stopped or paused.
  virtual int32_t Position() = 0;
  // Plays from one frame up to (not including) another.
  virtual bool Play(int32_t from, int32_t to) = 0;
  virtual bool Pause() = 0;
  virtual bool Resume() = 0;
  virtual bool Stop() = 0;
  virtual bool SetDoor(bool open) = 0;
};

// A drive in memory: a disc of tracks with the given lengths in frames
// (track 1 starting at frame 150, as on real discs), or none. Play moves the
// position to its start and stays there until told otherwise.
class CFakeCDDrive : public CCDDrive {
 public:
  explicit CFakeCDDrive(std::vector<int32_t> track_lengths);
  bool Available() override { return true; }
  ECDMode Mode() override;
  int32_t TrackCount() override;
  int32_t TrackStart(int32_t track) override;
  int32_t Position() override { return m_Position; }
  bool Play(int32_t from, int32_t to) override;
  bool Pause() override;
  bool Resume() override;
  bool Stop() override;
  bool SetDoor(bool open) override;

  // What the last Play asked for.
  int32_t PlayedFrom = -1, PlayedTo = -1;

 private:
  std::vector<int32_t> m_Starts;  // track starts and the end of the disc
  ECDMode m_Mode = ECDMode::Stopped;
  bool m_DoorOpen = false;
  int32_t m_Position = 0;
};

// The computer's drive (/dev/cdrom through the kernel's CD-ROM interface);
// unavailable when there is none.
std::unique_ptr<CCDDrive> CD_SystemDrive();

// Makes the drive the one commands go to (null: no drive at all).
void CD_SetDrive(std::unique_ptr<CCDDrive> drive);
// The computer's drive again and the default time format.
void CD_Reset();
// When set, every command sent is appended to the list.
void CD_SetCommandLog(std::vector<std::string>* log);

// Carries out one command string and gives the reply text, at most
// `reply_limit` characters; empty when the command failed or has no reply.
std::string MCI_Send(const std::string& command, size_t reply_limit);

// ---------------------------------------------------------------------------
// The CD built-ins. Without a drive or a disc the queries answer 0 (false)
// and the commands do nothing.

void CD_Init();
bool CD_Present();
int32_t CD_Number();
bool CD_Playing();
bool CD_Paused();  // paused, or stopped
int32_t CD_Track();
int64_t CD_Length();                   // ms
int64_t CD_TrackLength(int32_t track);  // ms
int64_t CD_Position();                  // ms from the start of the disc
int64_t CD_TrackPosition();             // ms from the start of the track
void CD_Play(int32_t first, int32_t last);
void CD_Stop();
void CD_Pause();
void CD_Resume();
void CD_SetPosition(int64_t ms);
void CD_SetTrackPosition(int64_t ms);
void CD_OpenDoor();
void CD_CloseDoor();
// A command string of the script's own; the reply (at most 255 characters).
std::string CD_Command(const std::string& command);
