#include "sound/Sound_Class.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "data/Support_TempDir.h"
#include "sound/Sound_Main.h"

namespace fs = std::filesystem;

namespace {

// The extension goes into a file name in the temporary directory: anything
// but a plain extension (a game file may carry any text there) is dropped so
// that the file cannot land elsewhere.
std::string SafeExtension(const std::string& type) {
  if (type.size() < 2 || type.size() > 16 || type[0] != '.') return std::string();
  for (char c : type.substr(1))
    if (!std::isalnum(static_cast<unsigned char>(c))) return std::string();
  return type;
}

bool ReadWholeFile(const std::string& path, RBytes& out) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteWholeFile(const std::string& path, const RBytes& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(out);
}

}  // namespace

CSound::~CSound() { Reset(); }

void CSound::Reset() {
  Discard();
  Kind = SOUND_KIND_NONE;
  FileType.clear();
  FileName.clear();
  RBytes().swap(Data);
  Preload = true;
  Effects = 0;
  Volume = 1.0;
  Pan = 0.0;
  TempFile.clear();
}

void CSound::LoadFromRecord(RSoundRecord& record) {
  Reset();
  Kind = record.kind;
  FileType = record.fileType;
  FileName = record.fileName;
  if (record.hasData) Data = std::move(record.data);
  Effects = record.effects;
  Volume = record.volume;
  Pan = record.pan;
  Preload = record.preload;
}

bool CSound::LoadFromFile(const std::string& path, int32_t kind, bool preload) {
  Reset();
  RBytes bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  const fs::path p(path);
  Kind = kind;
  FileType = p.extension().string();
  FileName = p.filename().string();
  Data = std::move(bytes);
  Preload = preload;
  PrepareIfPreloaded();
  return true;
}

void CSound::PrepareIfPreloaded() {
  if (Preload) Prepare();
}

void CSound::Prepare() {
  // Preparing again replaces the sample rather than leaving the old one
  // playing with nobody to stop it.
  Discard();
  if (Kind >= 0 && Kind != SOUND_KIND_MULTIMEDIA) {
    if (Data.empty()) return;
    Sample = Sample_LoadMemory(Data, Kind);
    if (Sample < 0) Kind = SOUND_KIND_MULTIMEDIA;
  }
  if (Kind == SOUND_KIND_MULTIMEDIA) {
    if (!Data.empty()) {
      if (!TempDir_Path().empty()) {
        TempFile = TempDir_NewFileName(SafeExtension(FileType));
        if (!WriteWholeFile(TempFile, Data)) TempFile.clear();
      }
      RBytes().swap(Data);
    }
    if (TempFile.empty()) return;
    Sample = Sample_LoadFile(TempFile, SOUND_KIND_MULTIMEDIA);
  }
  if (Sample < 0) return;
  if (Effects > 0) Sample_SetEffects(Sample, Effects);
  Sample_SetVolume(Sample, 0, Volume);
  Sample_SetPan(Sample, Pan);
}

void CSound::Discard() {
  if (Sample >= 0) Sample_Free(Sample);
  Sample = -1;
}

int32_t CSound::SampleOf() {
  if (Sample < 0) Prepare();
  return Sample;
}
