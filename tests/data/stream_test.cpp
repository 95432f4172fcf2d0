#include <gtest/gtest.h>

#include "data/Support_Stream.h"

namespace {

CStream FromInts(std::initializer_list<int32_t> values) {
  CStream s;
  for (int32_t v : values) s.WriteInteger(v);
  s.SetPosition(0);
  return s;
}

}  // namespace

TEST(Stream, PrimitivesRoundTripLittleEndian) {
  CStream s;
  s.WriteInteger(-2);
  s.WriteReal(1.5);
  s.WriteBoolean(true);
  s.WriteString("abc");
  EXPECT_EQ(s.Bytes()[0], 0xFE);
  EXPECT_EQ(s.Bytes()[3], 0xFF);
  s.SetPosition(0);
  EXPECT_EQ(s.ReadInteger(), -2);
  EXPECT_EQ(s.ReadReal(), 1.5);
  EXPECT_TRUE(s.ReadBoolean());
  EXPECT_EQ(s.ReadString(), "abc");
  EXPECT_EQ(s.Remaining(), 0);
}

TEST(Stream, BooleansAndEmptyStrings) {
  CStream s = FromInts({2, -1, 0, -5, 7});
  EXPECT_TRUE(s.ReadBoolean());
  EXPECT_FALSE(s.ReadBoolean());
  // Lengths of 0 or below read as empty and consume only the length.
  EXPECT_EQ(s.ReadString(), "");
  EXPECT_EQ(s.ReadString(), "");
  EXPECT_EQ(s.ReadInteger(), 7);
}

TEST(Stream, ReadsPastTheEndFail) {
  CStream s = FromInts({1});
  s.SetPosition(2);
  EXPECT_THROW(s.ReadInteger(), CStreamError);
  // A huge length inside a small stream is refused before anything is allocated.
  CStream big = FromInts({0x7FFFFFFF});
  EXPECT_THROW(big.ReadBlock(), CStreamError);
  big.SetPosition(0);
  EXPECT_THROW(big.ReadString(), CStreamError);
  big.SetPosition(0);
  EXPECT_THROW(big.ReadCompressedBlock(), CStreamError);
}

TEST(Stream, HexForm) {
  CStream s;
  s.FromHexString("0aFf7");
  ASSERT_EQ(s.Size(), 2);
  EXPECT_EQ(s.Bytes()[0], 0x0A);
  EXPECT_EQ(s.Bytes()[1], 0xFF);
  s.SetPosition(1);
  EXPECT_EQ(s.ToHexString(), "0AFF");  // from offset 0 whatever the position
}

TEST(Stream, CompressedBlocks) {
  std::vector<uint8_t> content(100000);
  for (size_t i = 0; i < content.size(); i++) content[i] = static_cast<uint8_t>(i * 7 % 251);
  CStream s;
  s.WriteCompressedBlock(content);
  s.SetPosition(0);
  EXPECT_EQ(s.ReadCompressedBlock().Bytes(), content);

  // Truncated and corrupt zlib data end with an error, never a hang.
  std::vector<uint8_t> packed = Stream_Deflate(content);
  EXPECT_THROW(Stream_Inflate(packed.data(), packed.size() / 2), CStreamError);
  packed[packed.size() / 2] ^= 0x55;
  packed[3] ^= 0xFF;
  EXPECT_THROW(Stream_Inflate(packed.data(), packed.size()), CStreamError);
  EXPECT_THROW(Stream_Inflate(packed.data(), 0), CStreamError);
}

TEST(Stream, Pictures) {
  CStream s;
  s.WritePicture(std::nullopt);
  s.WritePicture(std::vector<uint8_t>{'B', 'M', 1, 2});
  s.SetPosition(0);
  EXPECT_FALSE(s.ReadPicture().has_value());
  auto bmp = s.ReadPicture();
  ASSERT_TRUE(bmp.has_value());
  EXPECT_EQ(bmp->size(), 4u);
}

TEST(Substitution, TablesAreInversePermutations) {
  for (int32_t seed : {0, 1, 249, 250, 12345, -1, -63999, 2147483647}) {
    RSubstitution t = BuildSubstitution(seed);
    EXPECT_EQ(t.forward[0], 0);
    for (int v = 0; v < 256; v++) EXPECT_EQ(t.backward[t.forward[v]], v) << "seed " << seed;
  }
}

TEST(Substitution, SeedZeroFollowsTheSwapRule) {
  // a = 6, b = 0: j = (6i rem 254) + 1 for i = 1..10000.
  uint8_t f[256];
  for (int v = 0; v < 256; v++) f[v] = static_cast<uint8_t>(v);
  for (int i = 1; i <= 10000; i++) {
    int j = (i * 6) % 254 + 1;
    std::swap(f[j], f[j + 1]);
  }
  RSubstitution t = BuildSubstitution(0);
  for (int v = 0; v < 256; v++) EXPECT_EQ(t.forward[v], f[v]);
}

TEST(Substitution, BackwardUndoesTheWritersScramble) {
  // A writer stores byte p at position k as F[(p + k) mod 256].
  const int32_t seed = 777;
  RSubstitution t = BuildSubstitution(seed);
  CStream s;
  std::vector<uint8_t> plain(600);
  for (size_t k = 0; k < plain.size(); k++) plain[k] = static_cast<uint8_t>(k * 31 + 5);
  for (size_t k = 0; k < plain.size(); k++) {
    uint8_t b = t.forward[static_cast<uint8_t>(plain[k] + k)];
    s.WriteBytes(&b, 1);
  }
  SubstituteBackward(s, seed, 13, 0);
  for (size_t k = 0; k < 13; k++) EXPECT_EQ(s.Bytes()[k], t.forward[static_cast<uint8_t>(plain[k] + k)]);
  for (size_t k = 13; k < plain.size(); k++) EXPECT_EQ(s.Bytes()[k], plain[k]) << k;

  // Forward over a copy undoes the reader's text substitution (R of the plain byte).
  CStream text;
  for (int v = 0; v < 256; v++) {
    uint8_t b = t.backward[v];
    text.WriteBytes(&b, 1);
  }
  SubstituteForward(text, seed, 0, 0);
  for (int v = 0; v < 256; v++) EXPECT_EQ(text.Bytes()[v], v);
}
