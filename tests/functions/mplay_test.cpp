// Multiplayer: the record and its queue, and copies of a game playing
// together in this process over 127.0.0.1 on ports the test picks.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "functions/DPlay_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestGames.h"
#include "support/TestWorld.h"
#include "world/Object_Class.h"

namespace {

constexpr RGameGuid kGame = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
constexpr RGameGuid kOtherGame = {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};

// A UDP port on the loopback address that nobody holds right now.
uint16_t FreePort() {
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
  close(fd);
  return ntohs(a.sin_port);
}

// Services the network until `done` holds, for at most five seconds.
bool WaitFor(const std::function<bool()>& done) {
  const int64_t deadline = Platform_NetMilliseconds() + 5000;
  while (!done()) {
    if (Platform_NetMilliseconds() > deadline) return false;
    Platform_NetIdle();
  }
  return true;
}

std::unique_ptr<CMultiplayer> Copy(const RGameGuid& game, uint16_t port, bool migrate = false) {
  auto m = std::make_unique<CMultiplayer>();
  m->SetGameGuid(game);
  m->SetSessionMode(migrate);
  EXPECT_TRUE(m->InitTcpip("127.0.0.1:" + std::to_string(port)));
  return m;
}

// Finds the one session at the copy's address and joins it.
bool FindAndJoin(CMultiplayer& m, const std::string& name) {
  return m.SessionFind() == 1 && m.SessionJoin(0, name);
}

std::string Decoded(std::span<const uint8_t> bytes) {
  TMess m;
  if (!DPlay_DecodeRecord(bytes, m)) return "bad";
  return std::to_string(m.kind) + ":" + std::to_string(m.id) + ":" +
         (m.value.IsString() ? "'" + m.value.str + "'" : std::to_string(m.value.real));
}

}  // namespace

// ---------------------------------------------------------------------------
// The record and the queue

TEST(MplayRecord, WireFormatAndItsChecks) {
  uint8_t buffer[DPLAY_RECORD_BUFFER];
  size_t n = DPlay_EncodeRecord(DPLAY_KIND_MESSAGE, -7, RValue(2.5), buffer);
  const uint8_t real[] = {1, 0xF9, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x04, 0x40};
  ASSERT_EQ(std::vector<uint8_t>(buffer, buffer + n), std::vector<uint8_t>(std::begin(real), std::end(real)));
  EXPECT_EQ(Decoded({buffer, n}), "1:-7:2.500000");

  n = DPlay_EncodeRecord(DPLAY_KIND_DATA, 3, RValue(std::string("hi")), buffer);
  EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + n), (std::vector<uint8_t>{0, 3, 0, 0, 0, 1, 2, 0, 0, 0, 'h', 'i'}));
  EXPECT_EQ(Decoded({buffer, n}), "0:3:'hi'");

  n = DPlay_EncodeRecord(DPLAY_KIND_MESSAGE, 1, RValue(std::string(40000, 'x')), buffer);
  EXPECT_EQ(n, 10 + DPLAY_MAX_STRING);

  // Each damage is refused: kind, value type, string length against the
  // bytes either way, a length over the limit, a real that is no number.
  std::vector<std::vector<uint8_t>> bad = {
      {},
      {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0},
      {1, 0, 0, 0, 0, 1, 3, 0, 0, 0, 'a', 'b'},
      {1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 'a', 'b'},
      {1, 0, 0, 0, 0, 1, 0x01, 0x7D, 0, 0},
      {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x7F},
      {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x7F},
      {1, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const auto& b : bad) EXPECT_EQ(Decoded(b), "bad") << b.size();
}

TEST(MplayRecord, QueueTakesCountsClearsAndOverflowsAtItsLimit) {
  CMessageQueue q;
  auto from = [](uint32_t player, int32_t id) {
    TMess m;
    m.player = player;
    m.id = id;
    return m;
  };
  q.Append(from(5, 1));
  q.Append(from(0xFFFFFFF0u, 2));
  q.Append(from(5, 3));
  TMess got;
  ASSERT_TRUE(q.Take(0xFFFFFFF0u, got));  // others' messages stay unread
  EXPECT_EQ(got.id, 2);
  EXPECT_EQ(q.Count(0), 2);
  ASSERT_TRUE(q.Take(0, got));
  EXPECT_EQ(got.id, 1);
  q.Clear(5);
  EXPECT_EQ(q.Size(), 0u);
  EXPECT_FALSE(q.Take(0, got));

  for (int32_t i = 0; i < 4000; i++) ASSERT_TRUE(q.Append(from(1, i)));
  EXPECT_FALSE(q.Append(from(1, 4000)));
  ASSERT_TRUE(q.Take(0, got));
  EXPECT_TRUE(q.Append(from(1, 4001)));  // compacted first, then kept
  EXPECT_EQ(q.Size(), 4000u);
  EXPECT_EQ(q.Count(1), 4000);
}

TEST(MplayRecord, AddressesAndPort) {
  std::string host;
  uint16_t port;
  ASSERT_TRUE(DPlay_ParseAddress("", 9, host, port));
  EXPECT_EQ(host + "/" + std::to_string(port), "/9");
  ASSERT_TRUE(DPlay_ParseAddress("10.1.2.3:4567", 9, host, port));
  EXPECT_EQ(host + "/" + std::to_string(port), "10.1.2.3/4567");
  ASSERT_TRUE(DPlay_ParseAddress(":80", 9, host, port));
  EXPECT_EQ(host + "/" + std::to_string(port), "/80");
  for (const char* bad : {"h:", "h:0", "h:65536", "h:12x", "h:-1", "h:1:2"}) EXPECT_FALSE(DPlay_ParseAddress(bad, 9, host, port)) << bad;
}

// ---------------------------------------------------------------------------
// Two copies in one session

class Mplay : public ::testing::Test {
 protected:
  uint16_t port_ = FreePort();
};

TEST_F(Mplay, HostAndJoinExchangePlayersMessagesAndData) {
  auto host = Copy(kGame, port_);
  auto guest = Copy(kGame, port_);
  EXPECT_EQ(guest->SessionFind(), 0);  // nothing hosted yet
  ASSERT_TRUE(host->SessionCreate("Arena", 4, "Ann"));
  EXPECT_FALSE(host->SessionCreate("Again", 4, "Ann"));
  ASSERT_EQ(guest->SessionFind(), 1);
  EXPECT_EQ(guest->SessionName(0), "Arena");
  EXPECT_EQ(guest->SessionName(1), "");
  ASSERT_TRUE(guest->SessionJoin(0, "Bob"));
  EXPECT_EQ(host->SessionStatus(), DPLAY_CREATED);
  EXPECT_EQ(guest->SessionStatus(), DPLAY_JOINED);

  ASSERT_TRUE(WaitFor([&] { return host->PlayerFind() == 2; }));
  EXPECT_EQ(host->PlayerName(0) + "," + host->PlayerName(1), "Ann,Bob");
  ASSERT_EQ(guest->PlayerFind(), 2);
  EXPECT_EQ(guest->PlayerName(0) + "," + guest->PlayerName(1), "Bob,Ann");
  const uint32_t ann = host->PlayerId(0), bob = guest->PlayerId(0);
  EXPECT_EQ(guest->PlayerId(1), ann);
  EXPECT_EQ(guest->PlayerId(2), 0u);

  // Both kinds of message, both ways, to one player and to all.
  ASSERT_TRUE(guest->MessageSend(ann, 10, RValue(1.5), false));
  ASSERT_TRUE(guest->MessageSend(0, 11, RValue(std::string(40000, 'z')), true));
  ASSERT_TRUE(host->MessageSend(bob, 12, RValue(std::string("pong")), true));
  EXPECT_FALSE(host->MessageSend(12345, 1, RValue(1.0), true));  // no such player
  ASSERT_TRUE(WaitFor([&] { return host->MessageCount(0) == 2 && guest->MessageCount(ann) == 1; }));
  ASSERT_TRUE(host->MessageReceive(bob));
  EXPECT_EQ(host->Current().id, 10);
  EXPECT_EQ(host->Current().value.real, 1.5);
  EXPECT_EQ(host->MessageName(), "Bob");
  ASSERT_TRUE(host->MessageReceive(0));
  EXPECT_EQ(host->Current().value.str.size(), DPLAY_MAX_STRING);
  EXPECT_FALSE(host->MessageReceive(0));
  ASSERT_TRUE(guest->MessageReceive(0));
  EXPECT_EQ(guest->Current().value.str, "pong");
  EXPECT_EQ(guest->Current().player, ann);

  // Shared data, guaranteed and not; a write is kept locally at once.
  ASSERT_TRUE(host->DataWrite(7, RValue(std::string("seven"))));
  EXPECT_EQ(host->DataRead(7).str, "seven");
  guest->SetDataMode(false);
  ASSERT_TRUE(guest->DataWrite(1000000, RValue(3.0)));
  EXPECT_FALSE(guest->DataWrite(1000001, RValue(3.0)));
  EXPECT_EQ(guest->DataRead(-1).real, 0.0);
  ASSERT_TRUE(WaitFor([&] { return guest->DataRead(7).str == "seven" && host->DataRead(1000000).real == 3.0; }));

  // The guest leaves: the host sees one player, and the last sender's name
  // is no longer known.
  guest->SessionEnd();
  EXPECT_EQ(guest->SessionStatus(), DPLAY_NO_SESSION);
  EXPECT_FALSE(guest->MessageSend(0, 1, RValue(1.0), true));
  ASSERT_TRUE(WaitFor([&] { return host->PlayerFind() == 1; }));
  EXPECT_EQ(host->MessageName(), "(unknown)");
  EXPECT_EQ(host->Service()->Stats().malformed, 0);
}

TEST_F(Mplay, AnotherGameFindsNothingAndIsRefused) {
  auto host = Copy(kGame, port_);
  auto stranger = Copy(kOtherGame, port_);
  ASSERT_TRUE(host->SessionCreate("Mine", 0, "Ann"));
  EXPECT_EQ(stranger->SessionFind(), 0);
  // Joining straight at the port is refused at the greeting.
  CPlayService service(kOtherGame);
  RSessionInfo session;
  session.host = {NET_LOOPBACK, port_};
  EXPECT_FALSE(service.Join(session, "Eve", 2000));
  EXPECT_EQ(host->Service()->Stats().refused, 1);
  EXPECT_EQ(host->PlayerFind(), 1);
}

TEST_F(Mplay, FullSessionIsNotOfferedNorJoined) {
  auto host = Copy(kGame, port_);
  auto a = Copy(kGame, port_);
  auto b = Copy(kGame, port_);
  ASSERT_TRUE(host->SessionCreate("Pair", 2, "Ann"));
  ASSERT_EQ(b->SessionFind(), 1);  // b saw it while there was room
  ASSERT_TRUE(FindAndJoin(*a, "Bob"));
  EXPECT_EQ(a->SessionFind(), 0);
  EXPECT_FALSE(b->SessionJoin(0, "Cid"));
  EXPECT_EQ(b->SessionStatus(), DPLAY_NO_SESSION);
}

TEST_F(Mplay, HostLeavingWithoutMigrationEndsTheSessionForAll) {
  auto host = Copy(kGame, port_);
  auto a = Copy(kGame, port_);
  auto b = Copy(kGame, port_);
  ASSERT_TRUE(host->SessionCreate("Once", 0, "Ann"));
  ASSERT_TRUE(FindAndJoin(*a, "Bob"));
  ASSERT_TRUE(FindAndJoin(*b, "Cid"));
  // Guests reach each other through the host, unguaranteed too.
  ASSERT_TRUE(WaitFor([&] { return a->PlayerFind() == 3; }));
  uint32_t cid = 0;
  ASSERT_TRUE(a->PlayerByName("Cid", cid));
  ASSERT_TRUE(a->MessageSend(cid, 4, RValue(std::string("psst")), false));
  ASSERT_TRUE(WaitFor([&] { return b->MessageReceive(0); }));
  EXPECT_EQ(b->MessageName(), "Bob");
  EXPECT_EQ(host->MessageCount(0), 0);

  host->SessionEnd();
  ASSERT_TRUE(WaitFor([&] { return a->SessionStatus() == 0 && b->SessionStatus() == 0; }));
  EXPECT_FALSE(a->MessageSend(0, 1, RValue(1.0), true));
  EXPECT_EQ(a->PlayerFind(), 0);
  EXPECT_TRUE(host->SessionCreate("Twice", 0, "Ann"));  // a new session can start
}

TEST_F(Mplay, HostLeavingWithMigrationHandsTheSessionOn) {
  auto host = Copy(kGame, port_, true);
  auto a = Copy(kGame, port_);
  auto b = Copy(kGame, port_);
  ASSERT_TRUE(host->SessionCreate("Lasting", 0, "Ann"));
  ASSERT_TRUE(FindAndJoin(*a, "Bob"));
  ASSERT_TRUE(FindAndJoin(*b, "Cid"));
  ASSERT_TRUE(WaitFor([&] { return a->PlayerFind() == 3; }));
  host->SessionEnd();
  ASSERT_TRUE(WaitFor([&] {
    return a->PlayerFind() == 2 && b->PlayerFind() == 2 && a->Service()->Hosting() != b->Service()->Hosting() &&
           !a->Service()->Players().empty() && a->Service()->Players().size() == b->Service()->Players().size();
  }));
  EXPECT_EQ(a->SessionStatus(), DPLAY_JOINED);
  // The two go on talking through the new host.
  const uint32_t cid = b->PlayerId(0);
  ASSERT_TRUE(WaitFor([&] { return a->MessageSend(cid, 5, RValue(std::string("still here")), true); }));
  ASSERT_TRUE(WaitFor([&] { return b->MessageReceive(0); }));
  EXPECT_EQ(b->Current().value.str, "still here");
  EXPECT_EQ(b->MessageName(), "Bob");

  // A newcomer finds the session at the new host's port and joins it.
  CMultiplayer& new_host = a->Service()->Hosting() ? *a : *b;
  auto c = Copy(kGame, new_host.Service()->LocalAddress().port);
  ASSERT_TRUE(FindAndJoin(*c, "Dan"));
  EXPECT_EQ(c->SessionName(0), "Lasting");
  ASSERT_TRUE(WaitFor([&] { return a->PlayerFind() == 3 && b->PlayerFind() == 3; }));
}

TEST_F(Mplay, QueueOverflowDropsTheMessagesBeyondItsLimit) {
  auto host = Copy(kGame, port_);
  auto guest = Copy(kGame, port_);
  ASSERT_TRUE(host->SessionCreate("Flood", 0, "Ann"));
  ASSERT_TRUE(FindAndJoin(*guest, "Bob"));
  for (int32_t i = 0; i < 4001; i++) ASSERT_TRUE(guest->MessageSend(0, i, RValue(double(i)), true));
  ASSERT_TRUE(WaitFor([&] { return host->MessageCount(0) == 4000 && host->QueueDrops() == 1; }));
  ASSERT_TRUE(host->MessageReceive(0));
  EXPECT_EQ(host->Current().id, 0);
  ASSERT_TRUE(guest->MessageSend(0, 5000, RValue(1.0), true));
  ASSERT_TRUE(WaitFor([&] { return host->MessageCount(0) == 4000; }));
  host->MessageClear(0);
  EXPECT_EQ(host->MessageCount(0), 0);
}

// A datagram handler for a hand-made peer that only connects.
class CRawPeer : public INetHandler {
 public:
  void OnConnect(int32_t, uint32_t) override { connected = true; }
  void OnDisconnect(int32_t, uint32_t) override { connected = false; }
  void OnReceive(int32_t, std::span<const uint8_t>, bool) override {}
  bool connected = false;
};

TEST_F(Mplay, MalformedTrafficIsDroppedAndTheSessionGoesOn) {
  auto host = Copy(kGame, port_);
  auto guest = Copy(kGame, port_);
  ASSERT_TRUE(host->SessionCreate("Tough", 0, "Ann"));
  ASSERT_TRUE(FindAndJoin(*guest, "Bob"));

  // Raw datagrams at the host's port: noise, a cut probe, a probe of
  // another game, a protocol header with nonsense behind it.
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port_);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::vector<std::vector<uint8_t>> junk = {{0xDE, 0xAD}, {'V', 'L', 'M', 'Q', 1, 2}, {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}};
  std::vector<uint8_t> other = {'V', 'L', 'M', 'Q', 1};
  other.insert(other.end(), kOtherGame.begin(), kOtherGame.end());
  junk.push_back(other);
  for (const auto& j : junk) sendto(fd, j.data(), j.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  close(fd);

  // A peer that connects properly and then sends garbage of every kind.
  CRawPeer raw;
  auto net = CNetHost::Create(nullptr, 1, &raw);
  const int32_t peer = net->Connect({NET_LOOPBACK, port_}, 0x564C4D50);
  ASSERT_TRUE(WaitFor([&] { return raw.connected; }));
  const std::vector<std::vector<uint8_t>> packets = {{}, {5, 1, 2}, {2, 0, 0}, {1, 'V', 'L', 'M', 'P', 9}, {77}};
  for (const auto& p : packets) net->Send(peer, p, true);
  ASSERT_TRUE(WaitFor([&] { return !raw.connected; }));  // the bad greeting ends it

  ASSERT_TRUE(guest->MessageSend(0, 1, RValue(std::string("fine")), true));
  ASSERT_TRUE(WaitFor([&] { return host->MessageReceive(0); }));
  EXPECT_EQ(host->Current().value.str, "fine");
  EXPECT_EQ(host->PlayerFind(), 2);
  EXPECT_GE(host->Service()->Stats().malformed + host->Service()->Stats().refused, 2);
  EXPECT_EQ(host->DroppedRecords(), 0);
}

// ---------------------------------------------------------------------------
// The built-ins

TEST_F(Mplay, BuiltinsDriveTheEnginesState) {
  DPlay_Reset();
  DPlay_SetGameGuid(kGame.data());
  EXPECT_EQ(CallByName("mplay_init_ipx").real, 0);
  EXPECT_EQ(CallByName("mplay_init_modem", {Str(""), Str("555")}).real, 0);
  EXPECT_EQ(CallByName("mplay_init_tcpip", {Str("127.0.0.1:nope")}).real, 0);
  EXPECT_EQ(CallByName("mplay_connect_status").real, 0);
  EXPECT_EQ(CallByName("mplay_session_find").real, 0);
  std::string address = "127.0.0.1:" + std::to_string(port_);
  ASSERT_EQ(CallByName("mplay_init_tcpip", {Str(address.c_str())}).real, 1);
  EXPECT_EQ(CallByName("mplay_init_tcpip", {Str(address.c_str())}).real, 0);
  EXPECT_EQ(CallByName("mplay_connect_status").real, DPLAY_TCPIP);
  ASSERT_EQ(CallByName("mplay_session_create", {Str("S"), RValue(0.0), Str("Ann")}).real, 1);

  auto guest = Copy(kGame, port_);
  ASSERT_TRUE(FindAndJoin(*guest, "Bob"));
  ASSERT_EQ(guest->PlayerFind(), 2);
  ASSERT_TRUE(WaitFor([&] { return CallByName("mplay_player_find").real == 2; }));
  EXPECT_EQ(CallByName("mplay_player_name", {RValue(1.0)}).str, "Bob");
  EXPECT_EQ(CallByName("mplay_player_id", {RValue(1.0)}).real, static_cast<int32_t>(guest->PlayerId(0)));

  // A player named by text; an unknown name gives false at once.
  EXPECT_EQ(CallByName("mplay_message_send_guaranteed", {Str("Bob"), RValue(3.0), Str("hi")}).real, 1);
  EXPECT_EQ(CallByName("mplay_message_send", {Str("Nobody"), RValue(3.0), Str("hi")}).real, 0);
  ASSERT_TRUE(WaitFor([&] { return guest->MessageReceive(0); }));
  EXPECT_EQ(guest->Current().value.str, "hi");
  ASSERT_TRUE(guest->MessageSend(0, 9, RValue(4.0), true));
  ASSERT_TRUE(WaitFor([&] { return CallByName("mplay_message_count", {RValue(0.0)}).real == 1; }));
  EXPECT_EQ(CallByName("mplay_message_receive", {Str("Bob")}).real, 1);
  EXPECT_EQ(CallByName("mplay_message_id").real, 9);
  EXPECT_EQ(CallByName("mplay_message_value").real, 4);
  EXPECT_EQ(CallByName("mplay_message_player").real, static_cast<int32_t>(guest->PlayerId(0)));
  EXPECT_EQ(CallByName("mplay_message_name").str, "Bob");
  EXPECT_EQ(CallByName("mplay_data_write", {RValue(2.0), RValue(8.0)}).real, 1);
  EXPECT_EQ(CallByName("mplay_data_read", {RValue(2.0)}).real, 8);

  CallByName("mplay_end");
  EXPECT_EQ(CallByName("mplay_connect_status").real, 0);
  EXPECT_EQ(CallByName("mplay_session_status").real, 0);
  EXPECT_EQ(CallByName("mplay_message_id").real, 9);  // the last message outlives the session
  EXPECT_EQ(CallByName("mplay_ipaddress").str.empty(), Platform_NetLocalAddress().empty());
  DPlay_Reset();
}

// Load: 8 guests send 1,000 guaranteed messages each to the host in steps of
// 100, as a game sending every step would; the host reads between steps.
// Nothing may be lost or come out of order per sender. The time it took is
// printed, not judged.
TEST_F(Mplay, EightGuestsSendAThousandGuaranteedMessagesEach) {
  constexpr int kGuests = 8, kMessages = 1000, kBurst = 100;
  const int64_t start = Platform_NetMilliseconds();
  auto host = Copy(kGame, port_);
  ASSERT_TRUE(host->SessionCreate("Load", 0, "Host"));
  std::vector<std::unique_ptr<CMultiplayer>> guests;
  for (int g = 0; g < kGuests; g++) {
    guests.push_back(Copy(kGame, port_));
    ASSERT_TRUE(FindAndJoin(*guests.back(), "G" + std::to_string(g)));
  }
  ASSERT_EQ(host->PlayerFind(), kGuests + 1);
  const uint32_t host_id = host->PlayerId(0);
  std::vector<int32_t> next(kGuests, 0);
  std::vector<uint32_t> ids;
  for (auto& g : guests) {
    g->PlayerFind();
    ids.push_back(g->PlayerId(0));
  }
  int received = 0, sent = 0;
  const int64_t deadline = Platform_NetMilliseconds() + 60000;
  while (received < kGuests * kMessages && Platform_NetMilliseconds() < deadline) {
    if (sent < kMessages) {
      for (int g = 0; g < kGuests; g++)
        for (int i = sent; i < sent + kBurst; i++) ASSERT_TRUE(guests[g]->MessageSend(host_id, i, RValue(double(g)), true));
      sent += kBurst;
    }
    while (host->MessageReceive(0)) {
      const TMess& m = host->Current();
      const int g = static_cast<int>(m.value.real);
      ASSERT_TRUE(g >= 0 && g < kGuests && ids[g] == m.player);
      ASSERT_EQ(m.id, next[g]) << "guest " << g;
      next[g]++;
      received++;
    }
    Platform_NetIdle();
  }
  EXPECT_EQ(received, kGuests * kMessages);
  EXPECT_EQ(host->DroppedRecords(), 0);
  std::printf("[ load     ] %d guaranteed messages from %d guests in %lld ms\n", received, kGuests,
              static_cast<long long>(Platform_NetMilliseconds() - start));
}

// Two runner processes play one game together: the host answers the guest's
// greeting, and each prints what it got before ending.
TEST_F(Mplay, TwoRunnersPlayTogether) {
  RGameData game = TestGame_OneRoom();
  game.gameGuid = {9, 9, 9, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  game.objects = {TestWorld_Object(
      "obj_net", -1,
      {{EV_CREATE, 0,
        "mplay_init_tcpip(parameter_string(1)); role = parameter_string(2);"
        "if (role == 'host') mplay_session_create('Test', 2, 'Hal');"},
       {EV_STEP, 0,
        "if (role == 'guest' && mplay_session_status() == 0)"
        "  if (mplay_session_find() > 0) if (mplay_session_join(0, 'Gus'))"
        "    mplay_message_send_guaranteed(0, 7, 'hello from ' + role);"
        "if (mplay_message_receive(0)) {"
        "  show_debug_message(role + ' got ' + mplay_message_value() + ' from ' + mplay_message_name());"
        "  if (role == 'host') mplay_message_send_guaranteed(mplay_message_player(), 8, 'welcome');"
        "  game_end();"
        "}"}})};
  game.rooms[0]->instances = {TestWorld_Instance(0, 100001)};
  game.lastInstanceId = 100001;
  const std::string path = TestGame_Write(game, "mplay.game");
  const std::string address = "127.0.0.1:" + std::to_string(port_);
  auto run = [&](const std::string& role) {
    return "ASAN_OPTIONS=detect_leaks=0:detect_odr_violation=0 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy " +
           std::string(VELMORA_RUNNER) + " --max-steps 900 " + path + " " + address + " " + role + " >/dev/null 2>" +
           TestGame_Path(role + ".err") + " </dev/null";
  };
  const std::string both = "(" + run("host") + ") & (" + run("guest") + "); wait";
  ASSERT_EQ(std::system(both.c_str()), 0);
  auto read = [](const std::string& file) {
    std::ifstream in(TestGame_Path(file));
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_NE(read("host.err").find("host got hello from guest from Gus"), std::string::npos) << read("host.err");
  EXPECT_NE(read("guest.err").find("guest got welcome from Hal"), std::string::npos) << read("guest.err");
}
