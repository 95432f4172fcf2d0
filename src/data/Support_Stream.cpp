#include "data/Support_Stream.h"

#include <zlib.h>

#include <cstring>
#include <utility>

void CStream::Need(int64_t count) const {
  if (count < 0 || m_Pos < 0 || count > Size() - m_Pos) throw CStreamError("read past the end of the stream");
}

void CStream::ReadBytes(void* out, int64_t count) {
  Need(count);
  if (count > 0) std::memcpy(out, m_Data.data() + m_Pos, static_cast<size_t>(count));
  m_Pos += count;
}

int32_t CStream::ReadInteger() {
  uint8_t b[4];
  ReadBytes(b, 4);
  return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

double CStream::ReadReal() {
  uint8_t b[8];
  ReadBytes(b, 8);
  uint64_t bits = 0;
  for (int i = 7; i >= 0; i--) bits = bits << 8 | b[i];
  double value;
  std::memcpy(&value, &bits, 8);
  return value;
}

bool CStream::ReadBoolean() { return ReadInteger() > 0; }

std::string CStream::ReadString() {
  int32_t n = ReadInteger();
  if (n <= 0) return {};
  Need(n);
  std::string s(reinterpret_cast<const char*>(m_Data.data() + m_Pos), static_cast<size_t>(n));
  m_Pos += n;
  return s;
}

CStream CStream::ReadBlock() {
  int32_t n = ReadInteger();
  Need(n);
  std::vector<uint8_t> bytes(m_Data.begin() + m_Pos, m_Data.begin() + m_Pos + n);
  m_Pos += n;
  return CStream(std::move(bytes));
}

CStream CStream::ReadCompressedBlock() {
  int32_t n = ReadInteger();
  Need(n);
  std::vector<uint8_t> inflated = Stream_Inflate(m_Data.data() + m_Pos, static_cast<size_t>(n));
  m_Pos += n;
  return CStream(std::move(inflated));
}

std::optional<std::vector<uint8_t>> CStream::ReadPicture() {
  if (!ReadBoolean()) return std::nullopt;
  return std::move(ReadCompressedBlock().Bytes());
}

void CStream::WriteBytes(const void* data, int64_t count) {
  if (count <= 0) return;
  size_t end = static_cast<size_t>(m_Pos + count);
  if (end > m_Data.size()) m_Data.resize(end);
  std::memcpy(m_Data.data() + m_Pos, data, static_cast<size_t>(count));
  m_Pos += count;
}

void CStream::WriteInteger(int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  WriteBytes(b, 4);
}

void CStream::WriteReal(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  uint8_t b[8];
  for (int i = 0; i < 8; i++) b[i] = uint8_t(bits >> (8 * i));
  WriteBytes(b, 8);
}

void CStream::WriteBoolean(bool value) { WriteInteger(value ? 1 : 0); }

void CStream::WriteString(std::string_view value) {
  WriteInteger(static_cast<int32_t>(value.size()));
  WriteBytes(value.data(), static_cast<int64_t>(value.size()));
}

void CStream::WriteBlock(const std::vector<uint8_t>& content) {
  WriteInteger(static_cast<int32_t>(content.size()));
  WriteBytes(content.data(), static_cast<int64_t>(content.size()));
}

void CStream::WriteCompressedBlock(const std::vector<uint8_t>& content) { WriteBlock(Stream_Deflate(content)); }

void CStream::WritePicture(const std::optional<std::vector<uint8_t>>& bmp) {
  WriteBoolean(bmp.has_value());
  if (bmp) WriteCompressedBlock(*bmp);
}

std::string CStream::ToHexString() const {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(m_Data.size() * 2);
  for (uint8_t b : m_Data) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 15]);
  }
  return text;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

}  // namespace

void CStream::FromHexString(std::string_view text) {
  m_Data.clear();
  m_Data.reserve(text.size() / 2);
  for (size_t i = 0; i + 1 < text.size(); i += 2)
    m_Data.push_back(static_cast<uint8_t>(HexDigit(text[i]) * 16 + HexDigit(text[i + 1])));
  m_Pos = 0;
}

std::vector<uint8_t> Stream_Inflate(const uint8_t* data, size_t size) {
  constexpr size_t kChunk = 32768;
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) throw CStreamError("cannot start inflating");
  std::vector<uint8_t> out;
  zs.next_in = const_cast<Bytef*>(data);
  int status = Z_OK;
  size_t offset = 0;
  while (status != Z_STREAM_END) {
    size_t take = std::min(kChunk, size - offset);
    zs.next_in = const_cast<Bytef*>(data + offset);
    zs.avail_in = static_cast<uInt>(take);
    do {
      size_t old = out.size();
      out.resize(old + kChunk);
      zs.next_out = out.data() + old;
      zs.avail_out = kChunk;
      status = inflate(&zs, Z_NO_FLUSH);
      out.resize(old + (kChunk - zs.avail_out));
      if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
        inflateEnd(&zs);
        throw CStreamError("corrupt compressed block");
      }
    } while (zs.avail_out == 0 && status != Z_STREAM_END);
    offset += take - zs.avail_in;
    // No input left and the stream is not finished: the data is truncated.
    if (status != Z_STREAM_END && offset >= size) {
      inflateEnd(&zs);
      throw CStreamError("truncated compressed block");
    }
  }
  inflateEnd(&zs);
  return out;
}

std::vector<uint8_t> Stream_Deflate(const std::vector<uint8_t>& data) {
  uLongf bound = compressBound(static_cast<uLong>(data.size()));
  std::vector<uint8_t> out(bound);
  if (compress2(out.data(), &bound, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw CStreamError("cannot compress block");
  out.resize(bound);
  return out;
}

RSubstitution BuildSubstitution(int32_t seed) {
  RSubstitution t;
  int32_t a = seed % 250 + 6;
  if (a < 0) a += 256;
  int32_t b = seed / 250;
  if (b < 0) b += 256;
  for (int v = 0; v < 256; v++) t.forward[v] = t.backward[v] = static_cast<uint8_t>(v);
  for (int32_t i = 1; i <= 10000; i++) {
    // Widened so that large seeds cannot overflow the product.
    int64_t j = (static_cast<int64_t>(i) * a + b) % 254 + 1;
    if (j < 1 || j > 254) continue;  // seeds outside the format: leave the table alone
    std::swap(t.forward[j], t.forward[j + 1]);
  }
  for (int i = 1; i < 256; i++) t.backward[t.forward[i]] = static_cast<uint8_t>(i);
  return t;
}

namespace {

// Applies op(tables, byte, position) to bytes start .. start+count-1, clipped
// to the stream; count <= 0 means to the end.
template <class Op>
void Substitute(CStream& stream, int32_t seed, int64_t start, int64_t count, Op op) {
  RSubstitution t = BuildSubstitution(seed);
  if (count <= 0) count = stream.Size() - start;
  int64_t to = std::min(stream.Size(), start + count);
  uint8_t* bytes = stream.Bytes().data();
  for (int64_t k = std::max<int64_t>(start, 0); k < to; k++) bytes[k] = op(t, bytes[k], k);
}

}  // namespace

void SubstituteForward(CStream& stream, int32_t seed, int64_t start, int64_t count) {
  Substitute(stream, seed, start, count, [](const RSubstitution& t, uint8_t b, int64_t) { return t.forward[b]; });
}

void SubstituteBackward(CStream& stream, int32_t seed, int64_t start, int64_t count) {
  Substitute(stream, seed, start, count,
             [](const RSubstitution& t, uint8_t b, int64_t k) { return static_cast<uint8_t>(t.backward[b] - k); });
}

void SubstituteForwardInverse(CStream& stream, int32_t seed, int64_t start, int64_t count) {
  Substitute(stream, seed, start, count, [](const RSubstitution& t, uint8_t b, int64_t) { return t.backward[b]; });
}

void SubstituteBackwardInverse(CStream& stream, int32_t seed, int64_t start, int64_t count) {
  Substitute(stream, seed, start, count,
             [](const RSubstitution& t, uint8_t b, int64_t k) { return t.forward[static_cast<uint8_t>(b + k)]; });
}
