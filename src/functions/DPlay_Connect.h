// DPlay_Connect: connection addresses and the session service that carries
// records between the running copies of one game.
//
// Topology: the player who creates a session hosts it. Every other player
// connects to the host only; the host keeps the player list, tells everyone
// who joins and leaves, and relays each record to its target (or to all), so
// records of one sender arrive in the order sent. When the host leaves a
// session created with migration, the remaining player with the lowest id
// becomes the host and the others reconnect to it; without migration the
// session is lost for everyone.
//
// Sessions belong to a game: joining players and search probes carry the
// game's 16-byte identifier, and a host refuses any other.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform_Net.h"

using RGameGuid = std::array<uint8_t, 16>;

// The port a session is hosted on and searched at when the address gives
// none. The environment variable DPLAY_PORT_VARIABLE, when set to a port
// number, replaces it (two test runs on one machine keep apart that way).
constexpr uint16_t DPLAY_DEFAULT_PORT = 24710;
constexpr const char* DPLAY_PORT_VARIABLE = "VELMORA_MPLAY_PORT";
// How long a search waits for answers: a search of one address ends at the
// first answer, a search of the local network always waits this long.
constexpr uint32_t DPLAY_FIND_WAIT_MS = 1000;
// How long joining waits for the host to accept.
constexpr uint32_t DPLAY_JOIN_WAIT_MS = 3000;
// How long leaving waits for the other players to acknowledge.
constexpr uint32_t DPLAY_LEAVE_WAIT_MS = 250;
// How long a new host keeps the places of players who have not reconnected.
constexpr int64_t DPLAY_REJOIN_GRACE_MS = 5000;
// Longest player or session name sent; longer names are cut.
constexpr size_t DPLAY_MAX_NAME = 255;
// Connections one copy holds at most: the players of a session it hosts.
constexpr int32_t DPLAY_MAX_PEERS = 256;

// The default port after the environment's override.
uint16_t DPlay_DefaultPort();

// Splits a connection address "host" or "host:port" (port in decimal). An
// empty host is allowed (this machine, or the local network). False when the
// port is not a number from 1 to 65535.
bool DPlay_ParseAddress(const std::string& text, uint16_t default_port, std::string& host, uint16_t& port);

// A session found by a search.
struct RSessionInfo {
  RGameGuid instance{};  // the session's own identifier
  std::string name;
  RNetAddress host;
};

// A player of the current session.
struct RPlayerInfo {
  uint32_t id = 0;
  std::string name;
  RNetAddress address;          // as the host sees it; the host's own is unknown
  int32_t peer = -1;            // host only: the connection to the player
  int64_t awaiting_until = 0;   // new host only: when a missing player is given up
};

// Counters of what the service refused or dropped; they only grow.
struct RPlayStats {
  int64_t malformed = 0;  // packets that did not parse, or came out of turn
  int64_t refused = 0;    // connections refused (other game, full, bad greeting)
  int64_t overflow = 0;   // records dropped because the inbox was full
};

// One copy's membership in at most one session. All work happens when the
// network is serviced (Platform_NetServiceAll) or inside the calls below.
class CPlayService final : public INetHandler {
 public:
  explicit CPlayService(const RGameGuid& game);
  ~CPlayService() override;

  // Hosts a new session on `bind`; max_players 0 means no limit. False when
  // the port cannot be had or a session is open.
  bool Create(const RNetAddress& bind, const std::string& session_name, int32_t max_players, bool migrate,
              const std::string& player_name);
  // Asks `targets` for open sessions of this game, waiting at most wait_ms;
  // appends each session found once.
  void Find(std::span<const RNetAddress> targets, uint32_t wait_ms, std::vector<RSessionInfo>& found);
  // Joins a found session, waiting at most wait_ms for the host to accept.
  bool Join(const RSessionInfo& session, const std::string& player_name, uint32_t wait_ms);
  // Leaves the session, telling the others, waiting at most
  // DPLAY_LEAVE_WAIT_MS for them to acknowledge.
  void Close();

  // Whether this copy is in a session that still works.
  bool InSession() const { return phase_ == kMember || phase_ == kRejoining || phase_ == kHosting; }
  // Whether this copy hosts its session now.
  bool Hosting() const { return phase_ == kHosting; }
  uint32_t OwnId() const { return own_id_; }
  // Every player of the session, this copy's own included, in joining order.
  const std::vector<RPlayerInfo>& Players() const { return players_; }
  bool HasPlayer(uint32_t id) const { return FindPlayer(id) != nullptr; }

  // Sends a record to a player (0: all others). False when not in a session,
  // the player is unknown or the network refuses.
  bool Send(uint32_t target, std::span<const uint8_t> record, bool reliable);
  // Takes the next record that arrived for this player, in arrival order;
  // `record` stays valid until the next call. False when none waits.
  bool NextRecord(uint32_t& sender, std::span<const uint8_t>& record);

  const RPlayStats& Stats() const { return stats_; }
  // The address the session's host listens on, when hosting.
  RNetAddress LocalAddress() const;

  // INetHandler
  void OnConnect(int32_t peer, uint32_t data) override;
  void OnDisconnect(int32_t peer, uint32_t data) override;
  void OnReceive(int32_t peer, std::span<const uint8_t> bytes, bool reliable) override;
  bool OnProbe(std::span<const uint8_t> probe, std::vector<uint8_t>& reply) override;
  void OnServiced() override;

 private:
  enum EPhase { kIdle, kJoining, kMember, kRejoining, kHosting, kLost, kClosing };
  enum ESlot : uint8_t { kFree, kAwaitHello, kPlayer };

  const RPlayerInfo* FindPlayer(uint32_t id) const;
  RPlayerInfo* FindPlayer(uint32_t id);
  uint32_t NewId();
  void Reset();
  void Greet();
  void HandleHello(int32_t peer, std::span<const uint8_t> bytes);
  void HandleWelcome(std::span<const uint8_t> bytes);
  void HandleFromHost(std::span<const uint8_t> bytes);
  void RelayRecord(int32_t peer, std::span<const uint8_t> bytes, bool reliable);
  void RemovePlayer(uint32_t id);
  // The host left or cannot be reached: drops it and picks the next host.
  void HostGone();
  void Migrate();
  void SendWelcome(const RPlayerInfo& to);
  void TellOthers(uint32_t except);
  void PushInbox(uint32_t sender, std::span<const uint8_t> record);
  bool Deliver(uint32_t target, std::span<const uint8_t> envelope, bool reliable);
  void Refuse(int32_t peer, uint32_t reason);

  RGameGuid game_;
  std::unique_ptr<CNetHost> net_;
  EPhase phase_ = kIdle;
  RGameGuid session_{};
  std::string session_name_;
  int32_t max_players_ = 0;
  bool migrate_ = false;
  uint32_t own_id_ = 0;
  uint32_t host_id_ = 0;
  int32_t host_peer_ = -1;
  std::string own_name_;
  std::vector<RPlayerInfo> players_;
  std::vector<ESlot> slots_;
  // Records for this player: [sender u32][length u32][bytes], read from
  // inbox_read_; emptied when all are read.
  std::vector<uint8_t> inbox_;
  size_t inbox_read_ = 0;
  // Sends made while reconnecting to a new host: [target u32][reliable u8]
  // [length u32][bytes].
  std::vector<uint8_t> outbox_;
  // Reused for every packet built.
  std::vector<uint8_t> scratch_;
  std::vector<int32_t> targets_;
  RPlayStats stats_;
  std::mt19937 random_;
};

// The service's own packets, readable on their own for checks and fuzzing.
// Each parser accepts exactly one well-formed packet and nothing more.

// A joining player's greeting to the host.
struct RHello {
  RGameGuid game{};
  RGameGuid session{};
  uint32_t rejoin = 0;  // the player's id when coming back to a new host, else 0
  std::string name;
};
bool DPlay_ParseHello(std::span<const uint8_t> bytes, RHello& out);

// The host's answer to a greeting: the joiner's id and the session.
struct RWelcome {
  uint32_t you = 0;
  uint32_t host = 0;
  int32_t max_players = 0;
  bool migrate = false;
  RGameGuid session{};
  std::string session_name;
  std::vector<RPlayerInfo> players;
};
bool DPlay_ParseWelcome(std::span<const uint8_t> bytes, RWelcome& out);

// A host's answer to a search probe; true only for a session of `game`. The
// host address is left for the caller, who knows where the answer came from,
// except its port.
bool DPlay_ParseProbeReply(std::span<const uint8_t> bytes, const RGameGuid& game, RSessionInfo& out);
