#include "sound/Support_CD.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

namespace {

// ---------------------------------------------------------------------------
// The computer's drive

class CSystemCDDrive : public CCDDrive {
 public:
  ~CSystemCDDrive() override {
    if (m_Fd >= 0) close(m_Fd);
  }
  bool Available() override { return Fd() >= 0; }
  ECDMode Mode() override {
    const int status = Control(CDROM_DRIVE_STATUS, CDSL_CURRENT);
    if (status == CDS_TRAY_OPEN) return ECDMode::DoorOpen;
    if (status != CDS_DISC_OK) return ECDMode::NoDisc;
    cdrom_subchnl sub{};
    sub.cdsc_format = CDROM_MSF;
    if (Control(CDROMSUBCHNL, &sub) < 0) return ECDMode::Stopped;
    if (sub.cdsc_audiostatus == CDROM_AUDIO_PLAY) return ECDMode::Playing;
    if (sub.cdsc_audiostatus == CDROM_AUDIO_PAUSED) return ECDMode::Paused;
    return ECDMode::Stopped;
  }
  int32_t TrackCount() override {
    cdrom_tochdr header{};
    if (Control(CDROMREADTOCHDR, &header) < 0 || header.cdth_trk1 < header.cdth_trk0) return 0;
    return header.cdth_trk1 - header.cdth_trk0 + 1;
  }
  int32_t TrackStart(int32_t track) override {
    cdrom_tochdr header{};
    if (Control(CDROMREADTOCHDR, &header) < 0) return 0;
    cdrom_tocentry entry{};
    const int32_t number = header.cdth_trk0 + track - 1;
    entry.cdte_track = track > TrackCount() ? CDROM_LEADOUT : static_cast<uint8_t>(number);
    entry.cdte_format = CDROM_MSF;
    if (Control(CDROMREADTOCENTRY, &entry) < 0) return 0;
    return Frames(entry.cdte_addr.msf);
  }
  int32_t Position() override {
    cdrom_subchnl sub{};
    sub.cdsc_format = CDROM_MSF;
    return Control(CDROMSUBCHNL, &sub) < 0 ? 0 : Frames(sub.cdsc_absaddr.msf);
  }
  bool Play(int32_t from, int32_t to) override {
    cdrom_msf msf{};
    ToMsf(from, msf.cdmsf_min0, msf.cdmsf_sec0, msf.cdmsf_frame0);
    ToMsf(to - 1, msf.cdmsf_min1, msf.cdmsf_sec1, msf.cdmsf_frame1);
    return Control(CDROMPLAYMSF, &msf) >= 0;
  }
  bool Pause() override { return Control(CDROMPAUSE, 0) >= 0; }
  bool Resume() override { return Control(CDROMRESUME, 0) >= 0; }
  bool Stop() override { return Control(CDROMSTOP, 0) >= 0; }
  bool SetDoor(bool open) override { return Control(open ? CDROMEJECT : CDROMCLOSETRAY, 0) >= 0; }

 private:
  int m_Fd = -1;
  int Fd() {
    // Without blocking: a drive with no disc must still answer.
    if (m_Fd < 0) m_Fd = open("/dev/cdrom", O_RDONLY | O_NONBLOCK);
    return m_Fd;
  }
  template <typename A>
  int Control(unsigned long request, A arg) {
    return Fd() < 0 ? -1 : ioctl(m_Fd, request, arg);
  }
  static int32_t Frames(const cdrom_msf0& a) {
    return (a.minute * 60 + a.second) * CD_FRAMES_PER_SECOND + a.frame;
  }
  static void ToMsf(int32_t frames, uint8_t& m, uint8_t& s, uint8_t& f) {
    frames = std::max(frames, 0);
    m = static_cast<uint8_t>(std::min(frames / (60 * CD_FRAMES_PER_SECOND), 255));
    s = static_cast<uint8_t>(frames / CD_FRAMES_PER_SECOND % 60);
    f = static_cast<uint8_t>(frames % CD_FRAMES_PER_SECOND);
  }
};

// ---------------------------------------------------------------------------
// The command interpreter

enum class ETimeFormat { Msf, Tmsf, Milliseconds };

std::unique_ptr<CCDDrive> g_Drive;
bool g_DriveChosen = false;  // the computer's drive is looked for at first use
ETimeFormat g_Format = ETimeFormat::Msf;
int32_t g_SeekFrame = -1;  // where a seek left the stopped drive
std::vector<std::string>* g_Log = nullptr;

CCDDrive* Drive() {
  if (!g_DriveChosen) {
    g_Drive = CD_SystemDrive();
    g_DriveChosen = true;
  }
  return g_Drive && g_Drive->Available() ? g_Drive.get() : nullptr;
}

bool HasDisc(CCDDrive& d) {
  const ECDMode mode = d.Mode();
  return mode != ECDMode::NoDisc && mode != ECDMode::DoorOpen && d.TrackCount() > 0;
}

std::string TwoDigits(int64_t v) {
  char text[24];
  std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(v));
  return text;
}

std::string MsfText(int32_t frames) {
  frames = std::max(frames, 0);
  return TwoDigits(frames / (60 * CD_FRAMES_PER_SECOND)) + ":" + TwoDigits(frames / CD_FRAMES_PER_SECOND % 60) + ":" +
         TwoDigits(frames % CD_FRAMES_PER_SECOND);
}

int64_t FramesToMs(int64_t frames) { return frames * 1000 / CD_FRAMES_PER_SECOND; }

// The track holding a frame (the last one for frames past the end).
int32_t TrackOf(CCDDrive& d, int32_t frame) {
  const int32_t count = d.TrackCount();
  int32_t track = 1;
  while (track < count && d.TrackStart(track + 1) <= frame) ++track;
  return track;
}

// A span of frames in the current time format.
std::string SpanText(int32_t frames) {
  return g_Format == ETimeFormat::Milliseconds ? std::to_string(FramesToMs(frames)) : MsfText(frames);
}

std::string PositionText(CCDDrive& d, int32_t frame) {
  switch (g_Format) {
    case ETimeFormat::Milliseconds:
      return std::to_string(FramesToMs(frame));
    case ETimeFormat::Msf:
      return MsfText(frame);
    case ETimeFormat::Tmsf: {
      const int32_t track = TrackOf(d, frame);
      return TwoDigits(track) + ":" + MsfText(frame - d.TrackStart(track));
    }
  }
  return std::string();
}

// Up to `count` colon-separated small numbers; false for anything else.
bool ParseFields(const std::string& text, int64_t* fields, int count) {
  std::fill(fields, fields + count, 0);
  int index = 0;
  bool digit = false;
  for (char c : text) {
    if (c == ':') {
      if (!digit || ++index >= count) return false;
      digit = false;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      fields[index] = fields[index] * 10 + (c - '0');
      if (fields[index] > 100000000) return false;
      digit = true;
    } else {
      return false;
    }
  }
  return digit;
}

// A position in the current time format as a frame; -1 when it is none.
int32_t ParsePosition(CCDDrive& d, const std::string& text) {
  int64_t f[4];
  switch (g_Format) {
    case ETimeFormat::Milliseconds:
      if (!ParseFields(text, f, 1)) return -1;
      return static_cast<int32_t>(f[0] * CD_FRAMES_PER_SECOND / 1000);
    case ETimeFormat::Msf:
      if (!ParseFields(text, f, 3)) return -1;
      return static_cast<int32_t>((f[0] * 60 + f[1]) * CD_FRAMES_PER_SECOND + f[2]);
    case ETimeFormat::Tmsf:
      if (!ParseFields(text, f, 4) || f[0] < 1 || f[0] > d.TrackCount()) return -1;
      return d.TrackStart(static_cast<int32_t>(f[0])) +
             static_cast<int32_t>((f[1] * 60 + f[2]) * CD_FRAMES_PER_SECOND + f[3]);
  }
  return -1;
}

// The word after `key` in the words, or "".
std::string After(const std::vector<std::string>& words, const char* key) {
  auto it = std::find(words.begin(), words.end(), key);
  return it != words.end() && it + 1 != words.end() ? *(it + 1) : std::string();
}

bool Has(const std::vector<std::string>& words, const char* key) {
  return std::find(words.begin(), words.end(), key) != words.end();
}

std::string Status(CCDDrive& d, const std::vector<std::string>& words) {
  const std::string& item = words.size() > 2 ? words[2] : std::string();
  if (item == "mode") {
    switch (d.Mode()) {
      case ECDMode::NoDisc: return "not ready";
      case ECDMode::DoorOpen: return "open";
      case ECDMode::Stopped: return "stopped";
      case ECDMode::Playing: return "playing";
      case ECDMode::Paused: return "paused";
    }
  }
  if (item == "media" && Has(words, "present")) return HasDisc(d) ? "true" : "false";
  if (!HasDisc(d)) return std::string();
  const int32_t count = d.TrackCount();
  if (item == "number" && Has(words, "tracks")) return std::to_string(count);
  if (item == "position") {
    const bool idle = d.Mode() == ECDMode::Stopped;
    return PositionText(d, idle && g_SeekFrame >= 0 ? g_SeekFrame : d.Position());
  }
  if (item == "length") {
    if (!Has(words, "track")) return SpanText(d.TrackStart(count + 1) - d.TrackStart(1));
    int64_t track = 0;
    if (!ParseFields(After(words, "track"), &track, 1) || track < 1 || track > count) return std::string();
    return SpanText(d.TrackStart(static_cast<int32_t>(track) + 1) - d.TrackStart(static_cast<int32_t>(track)));
  }
  return std::string();
}

std::string Set(CCDDrive& d, const std::vector<std::string>& words) {
  if (Has(words, "door")) {
    const std::string state = After(words, "door");
    if (state == "open" || state == "closed") d.SetDoor(state == "open");
    return std::string();
  }
  if (Has(words, "format")) {
    const std::string format = After(words, "format");
    if (format == "milliseconds" || format == "ms")
      g_Format = ETimeFormat::Milliseconds;
    else if (format == "tmsf")
      g_Format = ETimeFormat::Tmsf;
    else if (format == "msf")
      g_Format = ETimeFormat::Msf;
  }
  return std::string();
}

void Play(CCDDrive& d, const std::vector<std::string>& words) {
  if (!HasDisc(d)) return;
  const bool has_from = Has(words, "from"), has_to = Has(words, "to");
  if (!has_from && !has_to && d.Mode() == ECDMode::Paused) {
    d.Resume();
    return;
  }
  const int32_t end = d.TrackStart(d.TrackCount() + 1);
  int32_t from = has_from ? ParsePosition(d, After(words, "from"))
                          : g_SeekFrame >= 0 && d.Mode() != ECDMode::Playing ? g_SeekFrame : d.Position();
  const int32_t to = has_to ? ParsePosition(d, After(words, "to")) : end;
  if (from < 0 || to < 0) return;
  from = std::max(from, d.TrackStart(1));
  if (from >= std::min(to, end)) return;
  g_SeekFrame = -1;
  d.Play(from, std::min(to, end));
}

void Seek(CCDDrive& d, const std::vector<std::string>& words) {
  if (!HasDisc(d)) return;
  const int32_t frame = ParsePosition(d, After(words, "to"));
  if (frame < 0) return;
  d.Stop();
  g_SeekFrame = frame;
}

std::string Carry(const std::string& command) {
  std::vector<std::string> words;
  std::istringstream in(command);
  for (std::string w; in >> w;) {
    std::transform(w.begin(), w.end(), w.begin(), [](unsigned char c) { return std::tolower(c); });
    if (w != "wait" && w != "notify") words.push_back(w);
  }
  if (words.size() < 2 || words[1] != "cdaudio") return std::string();
  CCDDrive* d = Drive();
  if (!d) return std::string();
  const std::string& verb = words[0];
  if (verb == "status") return Status(*d, words);
  if (verb == "set") return Set(*d, words);
  if (verb == "play") Play(*d, words);
  if (verb == "seek") Seek(*d, words);
  if (verb == "stop" && d->Stop()) g_SeekFrame = -1;
  if (verb == "pause") d->Pause();
  if (verb == "resume") d->Resume();
  return std::string();
}

// ---------------------------------------------------------------------------
// The built-ins' helpers

constexpr size_t kReplyLimit = 19;

std::string Send(const std::string& command) { return MCI_Send(command, kReplyLimit); }

// The decimal digits of a reply taken in order; 0 without digits.
int64_t Number(const std::string& reply) {
  int64_t n = 0;
  for (char c : reply)
    if (std::isdigit(static_cast<unsigned char>(c)) && n < 100000000000000LL) n = n * 10 + (c - '0');
  return n;
}

void Open() { Send("open cdaudio"); }
void TmsfWait() { Send("set cdaudio time format tmsf wait"); }
void MsWait() { Send("set cdaudio time format milliseconds wait"); }

}  // namespace

// ---------------------------------------------------------------------------
// CFakeCDDrive

CFakeCDDrive::CFakeCDDrive(std::vector<int32_t> track_lengths) {
  int32_t start = 2 * CD_FRAMES_PER_SECOND;
  for (int32_t length : track_lengths) {
    m_Starts.push_back(start);
    start += std::max(length, 1);
  }
  m_Starts.push_back(start);
  m_Position = m_Starts.front();
}

ECDMode CFakeCDDrive::Mode() {
  if (m_DoorOpen) return ECDMode::DoorOpen;
  return m_Starts.size() < 2 ? ECDMode::NoDisc : m_Mode;
}

int32_t CFakeCDDrive::TrackCount() { return m_DoorOpen ? 0 : static_cast<int32_t>(m_Starts.size()) - 1; }

int32_t CFakeCDDrive::TrackStart(int32_t track) {
  if (m_Starts.size() < 2) return 0;
  return m_Starts[static_cast<size_t>(std::clamp(track, 1, TrackCount() + 1) - 1)];
}

bool CFakeCDDrive::Play(int32_t from, int32_t to) {
  if (Mode() == ECDMode::NoDisc || Mode() == ECDMode::DoorOpen) return false;
  PlayedFrom = from;
  PlayedTo = to;
  m_Position = from;
  m_Mode = ECDMode::Playing;
  return true;
}

bool CFakeCDDrive::Pause() {
  if (m_Mode != ECDMode::Playing) return false;
  m_Mode = ECDMode::Paused;
  return true;
}

bool CFakeCDDrive::Resume() {
  if (m_Mode != ECDMode::Paused) return false;
  m_Mode = ECDMode::Playing;
  return true;
}

bool CFakeCDDrive::Stop() {
  m_Mode = ECDMode::Stopped;
  return true;
}

bool CFakeCDDrive::SetDoor(bool open) {
  m_DoorOpen = open;
  if (open) m_Mode = ECDMode::Stopped;
  return true;
}

// ---------------------------------------------------------------------------
// Drive choice and commands

std::unique_ptr<CCDDrive> CD_SystemDrive() { return std::make_unique<CSystemCDDrive>(); }

void CD_SetDrive(std::unique_ptr<CCDDrive> drive) {
  g_Drive = std::move(drive);
  g_DriveChosen = true;
  g_Format = ETimeFormat::Msf;
  g_SeekFrame = -1;
}

void CD_Reset() {
  g_Drive.reset();
  g_DriveChosen = false;
  g_Format = ETimeFormat::Msf;
  g_SeekFrame = -1;
  g_Log = nullptr;
}

void CD_SetCommandLog(std::vector<std::string>* log) { g_Log = log; }

std::string MCI_Send(const std::string& command, size_t reply_limit) {
  if (g_Log) g_Log->push_back(command);
  std::string reply = Carry(command);
  if (reply.size() > reply_limit) reply.resize(reply_limit);
  return reply;
}

// ---------------------------------------------------------------------------
// The built-ins

void CD_Init() {
  Send("close cdaudio");
  Send("open cdaudio");
}

bool CD_Present() {
  Open();
  return Send("status cdaudio media present") == "true";
}

int32_t CD_Number() {
  Open();
  return CD_Present() ? static_cast<int32_t>(Number(Send("status cdaudio number of tracks"))) : 0;
}

bool CD_Playing() {
  Open();
  return CD_Present() && Send("status cdaudio mode") == "playing";
}

bool CD_Paused() {
  Open();
  return CD_Present() && (Send("status cdaudio mode") == "paused" || Send("status cdaudio mode") == "stopped");
}

int32_t CD_Track() {
  Open();
  TmsfWait();
  return CD_Present() ? static_cast<int32_t>(Number(Send("status cdaudio position").substr(0, 2))) : 0;
}

int64_t CD_Length() {
  Open();
  Send("set cdaudio time format ms wait");
  const int64_t length = CD_Present() ? Number(Send("status cdaudio length wait")) : 0;
  TmsfWait();
  return length;
}

int64_t CD_TrackLength(int32_t track) {
  Open();
  if (track < 1 || track > CD_Number()) return 0;
  MsWait();
  const int64_t length = CD_Present() ? Number(Send("status cdaudio length track " + std::to_string(track))) : 0;
  TmsfWait();
  return length;
}

int64_t CD_Position() {
  Open();
  MsWait();
  const int64_t position = CD_Present() ? Number(Send("status cdaudio position")) : 0;
  TmsfWait();
  return position;
}

int64_t CD_TrackPosition() {
  Open();
  TmsfWait();
  if (!CD_Present()) return 0;
  const std::string position = Send("status cdaudio position");
  const auto field = [&](size_t at) { return position.size() > at ? Number(position.substr(at, 2)) : 0; };
  return field(3) * 60000 + field(6) * 1000;
}

void CD_Play(int32_t first, int32_t last) {
  if (!CD_Present()) return;
  TmsfWait();
  if (last < first) return;
  first = std::max(first, 1);
  if (last < CD_Number())
    Send("play cdaudio from " + std::to_string(first) + " to " + std::to_string(static_cast<int64_t>(last) + 1));
  else
    Send("play cdaudio from " + std::to_string(first));
}

void CD_Stop() {
  if (CD_Present()) Send("stop cdaudio");
}

void CD_Pause() {
  if (CD_Present()) Send("pause cdaudio");
}

void CD_Resume() {
  if (CD_Present()) Send("play cdaudio");
}

void CD_SetPosition(int64_t ms) {
  if (!CD_Present()) return;
  MsWait();
  Send((CD_Playing() ? "play cdaudio from " : "seek cdaudio to ") + std::to_string(ms));
  Send("set cdaudio time format tmsf");
}

void CD_SetTrackPosition(int64_t ms) {
  if (!CD_Present()) return;
  const int32_t track = CD_Track();
  if (track <= 0) return;
  const std::string position =
      std::to_string(track) + ":" + std::to_string(ms / 60000) + ":" + std::to_string(ms % 60000 / 1000);
  TmsfWait();
  Send((CD_Playing() ? "play cdaudio from " : "seek cdaudio to ") + position);
  Send("set cdaudio time format tmsf");
}

void CD_OpenDoor() {
  Open();
  Send("set cdaudio door open");
}

void CD_CloseDoor() {
  Open();
  Send("set cdaudio door closed");
}

std::string CD_Command(const std::string& command) { return MCI_Send(command, 255); }
