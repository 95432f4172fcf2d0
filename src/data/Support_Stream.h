// Support_Stream: CStream, the growable in-memory byte stream of the game
// file, saved games and data structures, and the byte substitution that
// scrambles parts of the game file.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Raised by a read past the end of a stream or a compressed block that does
// not inflate. It aborts the whole load of whatever is being read.
struct CStreamError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class CStream {
 public:
  CStream() = default;
  explicit CStream(std::vector<uint8_t> bytes) : m_Data(std::move(bytes)) {}

  // Size and current position (both 32-bit in the file formats).
  int64_t Size() const { return static_cast<int64_t>(m_Data.size()); }
  int64_t Position() const { return m_Pos; }
  void SetPosition(int64_t pos) { m_Pos = pos; }
  // Bytes left from the position to the end.
  int64_t Remaining() const { return m_Pos < Size() ? Size() - m_Pos : 0; }

  std::vector<uint8_t>& Bytes() { return m_Data; }
  const std::vector<uint8_t>& Bytes() const { return m_Data; }
  void Clear() { m_Data.clear(); m_Pos = 0; }

  // Primitives, little-endian. A read that would pass the end throws CStreamError.
  int32_t ReadInteger();
  double ReadReal();
  bool ReadBoolean();  // an integer, true when greater than 0
  std::string ReadString();  // length, then bytes; a length <= 0 is empty
  void ReadBytes(void* out, int64_t count);
  // A block: length n > 0, then n bytes, into a new stream at position 0.
  CStream ReadBlock();
  // A block holding one zlib stream; the new stream holds the inflated bytes.
  CStream ReadCompressedBlock();
  // A picture: a boolean, then when true a compressed block holding a BMP
  // file. The bytes of the BMP file, or none when absent.
  std::optional<std::vector<uint8_t>> ReadPicture();

  void WriteInteger(int32_t value);
  void WriteReal(double value);
  void WriteBoolean(bool value);
  void WriteString(std::string_view value);
  void WriteBytes(const void* data, int64_t count);
  // Writers of the game file's blocks (the engine itself never compresses;
  // the authoring companion does).
  void WriteBlock(const std::vector<uint8_t>& content);
  void WriteCompressedBlock(const std::vector<uint8_t>& content);
  void WritePicture(const std::optional<std::vector<uint8_t>>& bmp);

  // The whole content from offset 0, two upper-case hex digits per byte.
  std::string ToHexString() const;
  // Replaces the content by the bytes of a hex text; a trailing odd character
  // is ignored. Position 0 afterwards.
  void FromHexString(std::string_view text);

 private:
  void Need(int64_t count) const;

  std::vector<uint8_t> m_Data;
  int64_t m_Pos = 0;
};

// Inflates one complete zlib stream; throws CStreamError on corrupt or
// truncated data.
std::vector<uint8_t> Stream_Inflate(const uint8_t* data, size_t size);
// Deflates bytes into one zlib stream (best compression, deterministic).
std::vector<uint8_t> Stream_Deflate(const std::vector<uint8_t>& data);

// The two substitution tables built from a seed: forward F and inverse R,
// with R[F[v]] = v.
struct RSubstitution {
  uint8_t forward[256];
  uint8_t backward[256];
};
RSubstitution BuildSubstitution(int32_t seed);
// Replaces bytes start .. start+count-1 by F[byte]; count <= 0 means to the end.
void SubstituteForward(CStream& stream, int32_t seed, int64_t start, int64_t count);
// Replaces the byte at position k by (R[byte] - k) mod 256.
void SubstituteBackward(CStream& stream, int32_t seed, int64_t start, int64_t count);
// The inverses, used by writers: a byte becomes R[byte], and the byte at
// position k becomes F[(byte + k) mod 256].
void SubstituteForwardInverse(CStream& stream, int32_t seed, int64_t start, int64_t count);
void SubstituteBackwardInverse(CStream& stream, int32_t seed, int64_t start, int64_t count);
