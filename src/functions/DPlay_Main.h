// DPlay_Main: the multiplayer state a game sees: its connection, its session
// and own player, the sessions and players it last looked up, the shared data,
// the message queue and the message it read last.
//
// The engine has one CMultiplayer, DPlay(), owned by this module for the life
// of the program: it is made on first use, and its contents outlive sessions,
// connections, rooms and game restarts; program exit closes its session.
// DPlay_Reset empties it (tests). Tests may make more instances to play two
// copies of a game in one process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "functions/DPlay_Connect.h"
#include "functions/DPlay_Low.h"
#include "functions/DPlay_Shared.h"

// Connection states.
enum : int32_t { DPLAY_NONE = 0, DPLAY_IPX = 1, DPLAY_TCPIP = 2, DPLAY_MODEM = 3, DPLAY_SERIAL = 4 };
// Session states.
enum : int32_t { DPLAY_NO_SESSION = 0, DPLAY_CREATED = 1, DPLAY_JOINED = 2 };

class CMultiplayer {
 public:
  CMultiplayer();
  ~CMultiplayer();

  // The game identifier that sessions are bound to.
  void SetGameGuid(const RGameGuid& guid) { game_ = guid; }

  // --- connection
  // Opens the connection over UDP. `address` is "", "host" or "host:port":
  // the host is where sessions are searched (empty: this machine and the
  // local network) and the port where they are hosted and searched (else the
  // default port). False when already connected or the address is invalid.
  bool InitTcpip(const std::string& address);
  int32_t ConnectStatus() const { return connection_; }
  // Leaves the session if in one and closes the connection.
  void End();

  // --- session
  // Whether sessions created from now on hand the host role on.
  void SetSessionMode(bool migrate) { migrate_ = migrate; }
  bool SessionCreate(const std::string& name, int32_t max_players, const std::string& player_name);
  // Searches for open sessions of this game; their number.
  int32_t SessionFind();
  std::string SessionName(int32_t index) const;
  bool SessionJoin(int32_t index, const std::string& player_name);
  // The session state; a session lost because its host left without handing
  // on is over (state none).
  int32_t SessionStatus();
  void SessionEnd();

  // --- players
  // Refreshes the known players: own first, then the others; their number.
  int32_t PlayerFind();
  std::string PlayerName(int32_t index) const;
  uint32_t PlayerId(int32_t index) const;
  // The id of the first known player (after a refresh) with exactly this name.
  bool PlayerByName(const std::string& name, uint32_t& id);

  // --- shared data
  bool DataWrite(int32_t index, const RValue& value);
  RValue DataRead(int32_t index);
  void SetDataMode(bool guaranteed) { guaranteed_data_ = guaranteed; }

  // --- messages (player 0: all players, or any player)
  bool MessageSend(uint32_t player, int32_t id, const RValue& value, bool guaranteed);
  bool MessageReceive(uint32_t player);
  const TMess& Current() const { return current_; }
  // The name of the current message's sender among the refreshed players.
  std::string MessageName();
  int32_t MessageCount(uint32_t player);
  void MessageClear(uint32_t player);

  // Records dropped: malformed, or beyond a full queue.
  int64_t DroppedRecords() const { return bad_records_ + queue_drops_; }
  int64_t QueueDrops() const { return queue_drops_; }
  // The session service, once a connection has made it (else null).
  const CPlayService* Service() const { return service_.get(); }

 private:
  bool Connected() const { return connection_ != DPLAY_NONE; }
  bool InSession();
  // Takes every record that arrived into the queue and the shared data.
  void Drain();

  RGameGuid game_{};
  int32_t connection_ = DPLAY_NONE;
  int32_t session_ = DPLAY_NO_SESSION;
  bool migrate_ = false;
  bool guaranteed_data_ = true;
  std::string host_;
  uint16_t port_ = DPLAY_DEFAULT_PORT;
  std::unique_ptr<CPlayService> service_;
  std::vector<RSessionInfo> sessions_;
  struct RKnownPlayer {
    uint32_t id;
    std::string name;
  };
  std::vector<RKnownPlayer> players_;
  CSharedData shared_;
  CMessageQueue queue_;
  TMess current_;
  int64_t bad_records_ = 0;
  int64_t queue_drops_ = 0;
  uint8_t record_[DPLAY_RECORD_BUFFER];
};

// The engine's multiplayer state.
CMultiplayer& DPlay();
// Sets the identifier of the game being played (from its game file).
void DPlay_SetGameGuid(const uint8_t guid[16]);
// Closes any session and connection and empties every table of DPlay(),
// keeping the game identifier.
void DPlay_Reset();
