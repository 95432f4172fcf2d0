#include "functions/DPlay_Connect.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "functions/DPlay_Low.h"

namespace {

// Packet types of the service, the first byte of every packet.
enum : uint8_t {
  kHello = 1,        // joiner -> host
  kWelcome = 2,      // host -> joiner
  kJoined = 3,       // host -> members: a player came
  kLeft = 4,         // host -> members: a player went
  kRecord = 5,       // either way: sender u32, target u32, one record
  kHostLeaving = 6,  // host -> members, before it leaves a migrating session
};

constexpr uint8_t kVersion = 1;
constexpr uint8_t kHelloMagic[4] = {'V', 'L', 'M', 'P'};
constexpr uint8_t kReplyMagic[4] = {'V', 'L', 'M', 'R'};
// Passed with every connection so that stray protocol traffic is told apart.
constexpr uint32_t kConnectData = 0x564C4D50;

// Why a connection was ended, passed with the disconnection.
enum : uint32_t {
  kReasonWrongGame = 1,
  kReasonFull = 2,
  kReasonBadHello = 3,
  kReasonSessionEnded = 4,
  kReasonLeft = 5,
  kReasonHostLeaving = 6,
  kReasonNotHost = 7,
};

// Records waiting for this player, in bytes; beyond it arrivals are dropped
// so that a peer cannot fill our memory while the game does not read.
constexpr size_t kInboxLimit = 16u << 20;
// Sends held while reconnecting to a new host.
constexpr size_t kOutboxLimit = 4u << 20;
constexpr size_t kRecordHeader = 9;  // type, sender, target

class CReader {
 public:
  explicit CReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint8_t U8() { return Take(1) ? bytes_[pos_ - 1] : 0; }
  uint16_t U16() {
    if (!Take(2)) return 0;
    return static_cast<uint16_t>(bytes_[pos_ - 2] | bytes_[pos_ - 1] << 8);
  }
  uint32_t U32() {
    if (!Take(4)) return 0;
    const uint8_t* p = &bytes_[pos_ - 4];
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  }
  void Guid(RGameGuid& out) {
    if (Take(16)) std::memcpy(out.data(), &bytes_[pos_ - 16], 16);
  }
  bool Magic(const uint8_t (&magic)[4]) { return Take(4) && std::memcmp(&bytes_[pos_ - 4], magic, 4) == 0; }
  std::string Name() {
    const uint16_t n = U16();
    if (n > DPLAY_MAX_NAME || !Take(n)) {
      ok_ = false;
      return {};
    }
    return std::string(reinterpret_cast<const char*>(&bytes_[pos_ - n]), n);
  }
  bool Ok() const { return ok_; }
  bool Done() const { return ok_ && pos_ == bytes_.size(); }

 private:
  bool Take(size_t n) {
    if (!ok_ || bytes_.size() - pos_ < n) return ok_ = false;
    pos_ += n;
    return true;
  }
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

class CWriter {
 public:
  explicit CWriter(std::vector<uint8_t>& out) : out_(out) { out_.clear(); }
  CWriter& U8(uint8_t v) {
    out_.push_back(v);
    return *this;
  }
  CWriter& U16(uint16_t v) { return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8)); }
  CWriter& U32(uint32_t v) { return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16)); }
  CWriter& Bytes(std::span<const uint8_t> b) {
    out_.insert(out_.end(), b.begin(), b.end());
    return *this;
  }
  CWriter& Name(const std::string& s) {
    const size_t n = std::min(s.size(), DPLAY_MAX_NAME);
    U16(static_cast<uint16_t>(n));
    return Bytes({reinterpret_cast<const uint8_t*>(s.data()), n});
  }

 private:
  std::vector<uint8_t>& out_;
};

uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string CutName(const std::string& name) { return name.substr(0, DPLAY_MAX_NAME); }

}  // namespace

// ---------------------------------------------------------------------------
// Addresses

uint16_t DPlay_DefaultPort() {
  const char* text = std::getenv(DPLAY_PORT_VARIABLE);
  std::string host;
  uint16_t port = DPLAY_DEFAULT_PORT;
  if (text != nullptr && *text != '\0' && DPlay_ParseAddress(std::string(":") + text, DPLAY_DEFAULT_PORT, host, port))
    return port;
  return DPLAY_DEFAULT_PORT;
}

bool DPlay_ParseAddress(const std::string& text, uint16_t default_port, std::string& host, uint16_t& port) {
  const size_t colon = text.find(':');
  host = text.substr(0, colon);
  port = default_port;
  if (colon == std::string::npos) return true;
  // At most 99 characters of port text are looked at, as the address holds
  // no more; the rest must be digits.
  const std::string digits = text.substr(colon + 1, 99);
  if (digits.empty() || digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  const long value = std::strtol(digits.c_str(), nullptr, 10);
  if (value < 1 || value > 65535) return false;
  port = static_cast<uint16_t>(value);
  return true;
}

// ---------------------------------------------------------------------------
// Parsers

bool DPlay_ParseHello(std::span<const uint8_t> bytes, RHello& out) {
  CReader r(bytes);
  if (r.U8() != kHello || !r.Magic(kHelloMagic) || r.U8() != kVersion) return false;
  r.Guid(out.game);
  r.Guid(out.session);
  out.rejoin = r.U32();
  out.name = r.Name();
  return r.Done();
}

bool DPlay_ParseWelcome(std::span<const uint8_t> bytes, RWelcome& out) {
  CReader r(bytes);
  if (r.U8() != kWelcome) return false;
  out.you = r.U32();
  out.host = r.U32();
  out.max_players = static_cast<int32_t>(r.U32());
  out.migrate = r.U8() != 0;
  r.Guid(out.session);
  out.session_name = r.Name();
  const uint16_t count = r.U16();
  if (!r.Ok() || count > DPLAY_MAX_PEERS + 1) return false;
  out.players.clear();
  for (uint16_t i = 0; i < count && r.Ok(); i++) {
    RPlayerInfo p;
    p.id = r.U32();
    p.address.ip = r.U32();
    p.address.port = r.U16();
    p.name = r.Name();
    out.players.push_back(std::move(p));
  }
  if (!r.Done() || out.you == 0 || out.host == 0) return false;
  // Ids are unique and non-zero, and both named ids are among the players.
  bool you = false, host = false;
  for (size_t i = 0; i < out.players.size(); i++) {
    const uint32_t id = out.players[i].id;
    if (id == 0) return false;
    for (size_t j = 0; j < i; j++)
      if (out.players[j].id == id) return false;
    you = you || id == out.you;
    host = host || id == out.host;
  }
  return you && host;
}

bool DPlay_ParseProbeReply(std::span<const uint8_t> bytes, const RGameGuid& game, RSessionInfo& out) {
  CReader r(bytes);
  RGameGuid replied{};
  if (!r.Magic(kReplyMagic) || r.U8() != kVersion) return false;
  r.Guid(replied);
  r.Guid(out.instance);
  out.host.port = r.U16();
  out.name = r.Name();
  return r.Done() && replied == game && out.host.port != 0;
}

// ---------------------------------------------------------------------------
// The service

CPlayService::CPlayService(const RGameGuid& game) : game_(game), random_(std::random_device{}()) {
  scratch_.reserve(DPLAY_RECORD_BUFFER + 64);
}

CPlayService::~CPlayService() { Close(); }

const RPlayerInfo* CPlayService::FindPlayer(uint32_t id) const {
  for (const RPlayerInfo& p : players_)
    if (p.id == id) return &p;
  return nullptr;
}

RPlayerInfo* CPlayService::FindPlayer(uint32_t id) {
  return const_cast<RPlayerInfo*>(static_cast<const CPlayService*>(this)->FindPlayer(id));
}

uint32_t CPlayService::NewId() {
  uint32_t id;
  do id = static_cast<uint32_t>(random_());
  while (id == 0 || FindPlayer(id) != nullptr);
  return id;
}

void CPlayService::Reset() {
  net_.reset();
  phase_ = kIdle;
  players_.clear();
  slots_.clear();
  own_id_ = host_id_ = 0;
  host_peer_ = -1;
  outbox_.clear();
}

RNetAddress CPlayService::LocalAddress() const { return net_ ? net_->LocalAddress() : RNetAddress{}; }

bool CPlayService::Create(const RNetAddress& bind, const std::string& session_name, int32_t max_players,
                          bool migrate, const std::string& player_name) {
  if (phase_ != kIdle && phase_ != kLost) return false;
  Reset();
  net_ = CNetHost::Create(&bind, DPLAY_MAX_PEERS, this);
  if (!net_) return false;
  slots_.assign(DPLAY_MAX_PEERS, kFree);
  for (uint8_t& b : session_) b = static_cast<uint8_t>(random_());
  session_name_ = CutName(session_name);
  max_players_ = std::max(max_players, 0);
  migrate_ = migrate;
  own_name_ = CutName(player_name);
  own_id_ = host_id_ = NewId();
  players_.push_back({own_id_, own_name_, {}, -1, 0});
  phase_ = kHosting;
  return true;
}

namespace {
struct RFindContext {
  const RGameGuid* game;
  std::vector<RSessionInfo>* found;
  bool stop_at_first;
};
}  // namespace

void CPlayService::Find(std::span<const RNetAddress> targets, uint32_t wait_ms, std::vector<RSessionInfo>& found) {
  std::vector<uint8_t> probe;
  CWriter(probe).Bytes(NET_PROBE_MAGIC).U8(kVersion).Bytes(game_);
  // One address holds one session: its answer ends the search.
  const bool single = targets.size() == 1 && targets[0].ip != NET_BROADCAST;
  RFindContext context{&game_, &found, single};
  Platform_NetProbe(
      targets, probe, wait_ms,
      [](void* c, const RNetAddress& from, std::span<const uint8_t> bytes) {
        auto& ctx = *static_cast<RFindContext*>(c);
        RSessionInfo info;
        if (!DPlay_ParseProbeReply(bytes, *ctx.game, info)) return false;
        info.host.ip = from.ip;
        for (const RSessionInfo& s : *ctx.found)
          if (s.instance == info.instance) return false;
        ctx.found->push_back(std::move(info));
        return ctx.stop_at_first;
      },
      &context);
}

bool CPlayService::Join(const RSessionInfo& session, const std::string& player_name, uint32_t wait_ms) {
  if (phase_ != kIdle && phase_ != kLost) return false;
  Reset();
  net_ = CNetHost::Create(nullptr, DPLAY_MAX_PEERS, this);
  if (!net_) return false;
  slots_.assign(DPLAY_MAX_PEERS, kFree);
  session_ = session.instance;
  own_name_ = CutName(player_name);
  host_peer_ = net_->Connect(session.host, kConnectData);
  if (host_peer_ < 0) {
    Reset();
    return false;
  }
  phase_ = kJoining;
  const int64_t deadline = Platform_NetMilliseconds() + wait_ms;
  while (phase_ == kJoining && Platform_NetMilliseconds() < deadline) Platform_NetIdle();
  if (phase_ == kMember) return true;
  Reset();
  return false;
}

void CPlayService::Close() {
  if (!net_) {
    Reset();
    return;
  }
  if (phase_ == kHosting) {
    const bool hand_over = migrate_ && players_.size() > 1;
    if (hand_over) {
      CWriter(scratch_).U8(kHostLeaving);
      for (const RPlayerInfo& p : players_)
        if (p.peer >= 0) net_->Send(p.peer, scratch_, true);
    }
    for (const RPlayerInfo& p : players_)
      if (p.peer >= 0) net_->Disconnect(p.peer, hand_over ? kReasonHostLeaving : kReasonSessionEnded);
  } else if (host_peer_ >= 0) {
    net_->Disconnect(host_peer_, kReasonLeft);
  }
  phase_ = kClosing;
  const int64_t deadline = Platform_NetMilliseconds() + DPLAY_LEAVE_WAIT_MS;
  while (net_->ActivePeers() > 0 && Platform_NetMilliseconds() < deadline) Platform_NetIdle();
  Reset();
}

// --- sending and receiving records -----------------------------------------

bool CPlayService::Send(uint32_t target, std::span<const uint8_t> record, bool reliable) {
  if (!InSession() || (target != 0 && !HasPlayer(target))) return false;
  if (target == own_id_) {
    PushInbox(own_id_, record);
    return true;
  }
  if (phase_ == kRejoining) {
    if (outbox_.size() + record.size() + 9 > kOutboxLimit) return false;
    uint8_t head[9];
    Put32(head, target);
    head[4] = reliable;
    Put32(head + 5, static_cast<uint32_t>(record.size()));
    outbox_.insert(outbox_.end(), head, head + 9);
    outbox_.insert(outbox_.end(), record.begin(), record.end());
    return true;
  }
  CWriter(scratch_).U8(kRecord).U32(own_id_).U32(target).Bytes(record);
  return Deliver(target, scratch_, reliable);
}

// Sends a record packet on its way: a member hands everything to the host,
// the host sends to the target or to everyone but the sender.
bool CPlayService::Deliver(uint32_t target, std::span<const uint8_t> envelope, bool reliable) {
  if (phase_ != kHosting) return net_->Send(host_peer_, envelope, reliable);
  const uint32_t sender = Get32(envelope.data() + 1);
  targets_.clear();
  for (const RPlayerInfo& p : players_)
    if (p.peer >= 0 && p.id != sender && (target == 0 || target == p.id)) targets_.push_back(p.peer);
  return net_->SendToMany(targets_, envelope, reliable);
}

void CPlayService::PushInbox(uint32_t sender, std::span<const uint8_t> record) {
  if (inbox_.size() - inbox_read_ + record.size() + 8 > kInboxLimit) {
    stats_.overflow++;
    return;
  }
  uint8_t head[8];
  Put32(head, sender);
  Put32(head + 4, static_cast<uint32_t>(record.size()));
  inbox_.insert(inbox_.end(), head, head + 8);
  inbox_.insert(inbox_.end(), record.begin(), record.end());
}

bool CPlayService::NextRecord(uint32_t& sender, std::span<const uint8_t>& record) {
  if (inbox_read_ >= inbox_.size()) {
    inbox_.clear();
    inbox_read_ = 0;
    return false;
  }
  sender = Get32(&inbox_[inbox_read_]);
  const uint32_t n = Get32(&inbox_[inbox_read_ + 4]);
  record = {&inbox_[inbox_read_ + 8], n};
  inbox_read_ += 8 + n;
  return true;
}

// --- the network's events ----------------------------------------------------

void CPlayService::Refuse(int32_t peer, uint32_t reason) {
  stats_.refused++;
  if (peer >= 0 && static_cast<size_t>(peer) < slots_.size()) slots_[peer] = kFree;
  net_->Disconnect(peer, reason);
}

void CPlayService::OnConnect(int32_t peer, uint32_t data) {
  if (phase_ == kClosing || peer < 0 || static_cast<size_t>(peer) >= slots_.size()) return;
  if (peer == host_peer_ && (phase_ == kJoining || phase_ == kRejoining)) {
    Greet();
    return;
  }
  if (data != kConnectData) return Refuse(peer, kReasonBadHello);
  // A member may be the next host before it knows: the greeting decides.
  slots_[peer] = kAwaitHello;
}

void CPlayService::Greet() {
  CWriter(scratch_)
      .U8(kHello)
      .Bytes(kHelloMagic)
      .U8(kVersion)
      .Bytes(game_)
      .Bytes(session_)
      .U32(phase_ == kRejoining ? own_id_ : 0)
      .Name(own_name_);
  net_->Send(host_peer_, scratch_, true);
}

void CPlayService::OnDisconnect(int32_t peer, uint32_t data) {
  if (phase_ == kClosing || peer < 0 || static_cast<size_t>(peer) >= slots_.size()) return;
  const ESlot slot = slots_[peer];
  slots_[peer] = kFree;
  if (peer == host_peer_) {
    host_peer_ = -1;
    if (phase_ == kJoining) {
      phase_ = kIdle;
    } else if (phase_ == kRejoining || (phase_ == kMember && migrate_ && data != kReasonSessionEnded)) {
      // The host, or the one chosen next, is not there: the next in line takes over.
      HostGone();
    } else if (phase_ == kMember) {
      phase_ = kLost;
    }
    return;
  }
  if (phase_ != kHosting || slot != kPlayer) return;
  for (const RPlayerInfo& p : players_)
    if (p.peer == peer) {
      RemovePlayer(p.id);
      break;
    }
}

void CPlayService::OnReceive(int32_t peer, std::span<const uint8_t> bytes, bool reliable) {
  if (phase_ == kClosing || peer < 0 || static_cast<size_t>(peer) >= slots_.size()) return;
  if (bytes.empty()) {
    stats_.malformed++;
    return;
  }
  if (peer == host_peer_ && phase_ != kHosting) {
    if (bytes[0] == kWelcome && (phase_ == kJoining || phase_ == kRejoining))
      HandleWelcome(bytes);
    else if (phase_ == kMember)
      HandleFromHost(bytes);
    else
      stats_.malformed++;
    return;
  }
  if (slots_[peer] == kAwaitHello && bytes[0] == kHello) return HandleHello(peer, bytes);
  if (slots_[peer] == kPlayer && bytes[0] == kRecord && phase_ == kHosting) return RelayRecord(peer, bytes, reliable);
  stats_.malformed++;
}

void CPlayService::HandleHello(int32_t peer, std::span<const uint8_t> bytes) {
  RHello hello;
  if (!DPlay_ParseHello(bytes, hello)) return Refuse(peer, kReasonBadHello);
  if (hello.game != game_) return Refuse(peer, kReasonWrongGame);
  if (hello.session != session_) return Refuse(peer, kReasonSessionEnded);
  if (phase_ == kMember && migrate_ && hello.rejoin != 0) {
    // Others saw the host go before we did; if we are next in line, take over.
    uint32_t next = 0;
    for (const RPlayerInfo& p : players_)
      if (p.id != host_id_ && (next == 0 || p.id < next)) next = p.id;
    if (next == own_id_) HostGone();
  }
  if (phase_ != kHosting) return Refuse(peer, kReasonNotHost);
  RPlayerInfo* player = nullptr;
  if (hello.rejoin != 0) {
    player = FindPlayer(hello.rejoin);
    if (player == nullptr || player->id == own_id_ || player->peer >= 0) return Refuse(peer, kReasonSessionEnded);
    player->awaiting_until = 0;
  } else {
    if (max_players_ > 0 && players_.size() >= static_cast<size_t>(max_players_)) return Refuse(peer, kReasonFull);
    players_.push_back({NewId(), hello.name, {}, -1, 0});
    player = &players_.back();
  }
  player->peer = peer;
  player->address = net_->PeerAddress(peer);
  slots_[peer] = kPlayer;
  SendWelcome(*player);
  if (hello.rejoin == 0) {
    CWriter(scratch_).U8(kJoined).U32(player->id).U32(player->address.ip).U16(player->address.port).Name(player->name);
    TellOthers(player->id);
  }
}

void CPlayService::SendWelcome(const RPlayerInfo& to) {
  CWriter w(scratch_);
  w.U8(kWelcome).U32(to.id).U32(own_id_).U32(static_cast<uint32_t>(max_players_)).U8(migrate_).Bytes(session_);
  w.Name(session_name_).U16(static_cast<uint16_t>(players_.size()));
  for (const RPlayerInfo& p : players_) w.U32(p.id).U32(p.address.ip).U16(p.address.port).Name(p.name);
  net_->Send(to.peer, scratch_, true);
}

// Sends scratch_ to every connected player but one.
void CPlayService::TellOthers(uint32_t except) {
  targets_.clear();
  for (const RPlayerInfo& p : players_)
    if (p.peer >= 0 && p.id != except) targets_.push_back(p.peer);
  net_->SendToMany(targets_, scratch_, true);
}

void CPlayService::HandleWelcome(std::span<const uint8_t> bytes) {
  RWelcome welcome;
  if (!DPlay_ParseWelcome(bytes, welcome) || welcome.session != session_ ||
      (phase_ == kRejoining && welcome.you != own_id_)) {
    stats_.malformed++;
    return;
  }
  own_id_ = welcome.you;
  host_id_ = welcome.host;
  max_players_ = welcome.max_players;
  migrate_ = welcome.migrate;
  session_name_ = welcome.session_name;
  players_ = std::move(welcome.players);
  for (RPlayerInfo& p : players_)
    if (p.id == host_id_) p.address = net_->PeerAddress(host_peer_);
  phase_ = kMember;
  // What the game sent while we were on our way to the new host.
  for (size_t at = 0; at + 9 <= outbox_.size();) {
    const uint32_t target = Get32(&outbox_[at]);
    const bool reliable = outbox_[at + 4] != 0;
    const uint32_t n = Get32(&outbox_[at + 5]);
    std::span<const uint8_t> record(&outbox_[at + 9], n);
    at += 9 + n;
    if (target != 0 && !HasPlayer(target)) continue;
    CWriter(scratch_).U8(kRecord).U32(own_id_).U32(target).Bytes(record);
    net_->Send(host_peer_, scratch_, reliable);
  }
  outbox_.clear();
}

void CPlayService::HandleFromHost(std::span<const uint8_t> bytes) {
  CReader r(bytes);
  const uint8_t type = r.U8();
  if (type == kRecord) {
    const uint32_t sender = r.U32();
    const uint32_t target = r.U32();
    if (!r.Ok() || sender == 0 || (target != 0 && target != own_id_)) {
      stats_.malformed++;
      return;
    }
    PushInbox(sender, bytes.subspan(kRecordHeader));
  } else if (type == kJoined) {
    RPlayerInfo p;
    p.id = r.U32();
    p.address.ip = r.U32();
    p.address.port = r.U16();
    p.name = r.Name();
    if (!r.Done() || p.id == 0 || HasPlayer(p.id) || players_.size() > DPLAY_MAX_PEERS) {
      stats_.malformed++;
      return;
    }
    players_.push_back(std::move(p));
  } else if (type == kLeft) {
    const uint32_t id = r.U32();
    if (!r.Done() || id == own_id_ || id == host_id_) {
      stats_.malformed++;
      return;
    }
    RemovePlayer(id);
  } else if (type == kHostLeaving && r.Done() && migrate_) {
    HostGone();
  } else {
    stats_.malformed++;
  }
}

void CPlayService::RelayRecord(int32_t peer, std::span<const uint8_t> bytes, bool reliable) {
  const RPlayerInfo* from = nullptr;
  for (const RPlayerInfo& p : players_)
    if (p.peer == peer) from = &p;
  if (from == nullptr || bytes.size() < kRecordHeader + 1) {
    stats_.malformed++;
    return;
  }
  const uint32_t target = Get32(bytes.data() + 5);
  if (target != 0 && !HasPlayer(target)) {
    stats_.malformed++;
    return;
  }
  const uint32_t sender = from->id;
  if (target == 0 || target == own_id_) PushInbox(sender, bytes.subspan(kRecordHeader));
  if (target == own_id_) return;
  // The sender is who the connection belongs to, whatever the packet says.
  scratch_.assign(bytes.begin(), bytes.end());
  Put32(scratch_.data() + 1, sender);
  Deliver(target, scratch_, reliable);
}

void CPlayService::RemovePlayer(uint32_t id) {
  auto it = std::find_if(players_.begin(), players_.end(), [id](const RPlayerInfo& p) { return p.id == id; });
  if (it == players_.end()) return;
  players_.erase(it);
  if (phase_ == kHosting) {
    CWriter(scratch_).U8(kLeft).U32(id);
    TellOthers(0);
  }
}

void CPlayService::HostGone() {
  const int32_t old_host = host_peer_;
  host_peer_ = -1;
  RemovePlayer(host_id_);
  if (old_host >= 0) net_->Disconnect(old_host, kReasonLeft);
  Migrate();
}

// The remaining player with the lowest id hosts; the others reconnect to it at
// the address the old host knew it by.
void CPlayService::Migrate() {
  while (true) {
    const RPlayerInfo* next = nullptr;
    for (const RPlayerInfo& p : players_)
      if (next == nullptr || p.id < next->id) next = &p;
    if (next == nullptr || next->id == own_id_) break;
    host_id_ = next->id;
    host_peer_ = net_->Connect(next->address, kConnectData);
    if (host_peer_ >= 0) {
      phase_ = kRejoining;
      return;
    }
    RemovePlayer(next->id);
  }
  phase_ = kHosting;
  host_id_ = own_id_;
  host_peer_ = -1;
  const int64_t until = Platform_NetMilliseconds() + DPLAY_REJOIN_GRACE_MS;
  for (RPlayerInfo& p : players_)
    if (p.id != own_id_) {
      p.peer = -1;
      p.awaiting_until = until;
    }
  // Records held for the old host go to their targets from here.
  for (size_t at = 0; at + 9 <= outbox_.size();) {
    const uint32_t target = Get32(&outbox_[at]);
    const uint32_t n = Get32(&outbox_[at + 5]);
    if (target == own_id_) PushInbox(own_id_, {&outbox_[at + 9], n});
    at += 9 + n;
  }
  outbox_.clear();
}

void CPlayService::OnServiced() {
  if (phase_ != kHosting) return;
  const int64_t now = Platform_NetMilliseconds();
  for (size_t i = 0; i < players_.size();) {
    const RPlayerInfo& p = players_[i];
    if (p.peer < 0 && p.awaiting_until != 0 && now >= p.awaiting_until)
      RemovePlayer(p.id);
    else
      i++;
  }
}

bool CPlayService::OnProbe(std::span<const uint8_t> probe, std::vector<uint8_t>& reply) {
  CReader r(probe);
  RGameGuid game{};
  if (!r.Magic(NET_PROBE_MAGIC) || r.U8() != kVersion) return false;
  r.Guid(game);
  if (!r.Done() || game != game_ || phase_ != kHosting) return false;
  if (max_players_ > 0 && players_.size() >= static_cast<size_t>(max_players_)) return false;
  CWriter(reply).Bytes(kReplyMagic).U8(kVersion).Bytes(game_).Bytes(session_).U16(net_->LocalAddress().port).Name(session_name_);
  return true;
}
