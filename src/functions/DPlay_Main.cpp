#include "functions/DPlay_Main.h"

#include <algorithm>

CMultiplayer::CMultiplayer() = default;

CMultiplayer::~CMultiplayer() { End(); }

// --- connection ---------------------------------------------------------------

bool CMultiplayer::InitTcpip(const std::string& address) {
  if (Connected()) return false;
  std::string host;
  uint16_t port;
  if (!DPlay_ParseAddress(address, DPlay_DefaultPort(), host, port) || !Platform_NetInit()) return false;
  if (!service_) service_ = std::make_unique<CPlayService>(game_);
  host_ = std::move(host);
  port_ = port;
  connection_ = DPLAY_TCPIP;
  return true;
}

void CMultiplayer::End() {
  if (!Connected()) return;
  SessionEnd();
  service_.reset();
  connection_ = DPLAY_NONE;
}

// --- session ------------------------------------------------------------------

bool CMultiplayer::InSession() {
  if (session_ != DPLAY_NO_SESSION && !service_->InSession()) {
    service_->Close();
    session_ = DPLAY_NO_SESSION;
  }
  return session_ != DPLAY_NO_SESSION;
}

int32_t CMultiplayer::SessionStatus() {
  InSession();
  return session_;
}

bool CMultiplayer::SessionCreate(const std::string& name, int32_t max_players, const std::string& player_name) {
  if (!Connected() || InSession()) return false;
  // A session offered on the loopback address stays on this machine.
  uint32_t ip = 0;
  if (!host_.empty() && Platform_NetResolve(host_, ip) && (ip >> 24) != 127) ip = 0;
  if (!service_->Create({ip, port_}, name, max_players, migrate_, player_name)) return false;
  session_ = DPLAY_CREATED;
  return true;
}

int32_t CMultiplayer::SessionFind() {
  if (!Connected()) return 0;
  sessions_.clear();
  std::vector<RNetAddress> targets;
  uint32_t ip = 0;
  if (host_.empty())
    targets = {{NET_LOOPBACK, port_}, {NET_BROADCAST, port_}};
  else if (Platform_NetResolve(host_, ip))
    targets = {{ip, port_}};
  else
    return 0;
  service_->Find(targets, DPLAY_FIND_WAIT_MS, sessions_);
  return static_cast<int32_t>(sessions_.size());
}

std::string CMultiplayer::SessionName(int32_t index) const {
  if (!Connected() || index < 0 || static_cast<size_t>(index) >= sessions_.size()) return "";
  return sessions_[static_cast<size_t>(index)].name;
}

bool CMultiplayer::SessionJoin(int32_t index, const std::string& player_name) {
  if (!Connected() || InSession() || index < 0 || static_cast<size_t>(index) >= sessions_.size()) return false;
  if (!service_->Join(sessions_[static_cast<size_t>(index)], player_name, DPLAY_JOIN_WAIT_MS)) return false;
  session_ = DPLAY_JOINED;
  return true;
}

void CMultiplayer::SessionEnd() {
  if (!Connected() || session_ == DPLAY_NO_SESSION) return;
  service_->Close();
  session_ = DPLAY_NO_SESSION;
}

// --- players ------------------------------------------------------------------

int32_t CMultiplayer::PlayerFind() {
  players_.clear();
  if (!Connected() || !InSession()) return 0;
  Platform_NetServiceAll();
  const uint32_t own = service_->OwnId();
  for (const RPlayerInfo& p : service_->Players())
    if (p.id == own) players_.push_back({p.id, p.name});
  for (const RPlayerInfo& p : service_->Players())
    if (p.id != own) players_.push_back({p.id, p.name});
  return static_cast<int32_t>(players_.size());
}

std::string CMultiplayer::PlayerName(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= players_.size()) return "";
  return players_[static_cast<size_t>(index)].name;
}

uint32_t CMultiplayer::PlayerId(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= players_.size()) return 0;
  return players_[static_cast<size_t>(index)].id;
}

bool CMultiplayer::PlayerByName(const std::string& name, uint32_t& id) {
  PlayerFind();
  for (const RKnownPlayer& p : players_)
    if (p.name == name) {
      id = p.id;
      return true;
    }
  return false;
}

// --- shared data and messages ---------------------------------------------------

bool CMultiplayer::DataWrite(int32_t index, const RValue& value) {
  if (!Connected() || !InSession() || !CSharedData::InRange(index)) return false;
  shared_.Grow(index);
  const size_t n = DPlay_EncodeRecord(DPLAY_KIND_DATA, index, value, record_);
  if (!service_->Send(0, {record_, n}, guaranteed_data_)) return false;
  shared_.Store(index, value);
  return true;
}

RValue CMultiplayer::DataRead(int32_t index) {
  if (!Connected() || !InSession() || !CSharedData::InRange(index)) return RValue();
  shared_.Grow(index);
  Drain();
  return shared_.Read(index);
}

bool CMultiplayer::MessageSend(uint32_t player, int32_t id, const RValue& value, bool guaranteed) {
  if (!Connected() || !InSession()) return false;
  const size_t n = DPlay_EncodeRecord(DPLAY_KIND_MESSAGE, id, value, record_);
  return service_->Send(player, {record_, n}, guaranteed);
}

bool CMultiplayer::MessageReceive(uint32_t player) {
  if (!Connected() || !InSession()) return false;
  Drain();
  return queue_.Take(player, current_);
}

std::string CMultiplayer::MessageName() {
  PlayerFind();
  std::string name = "(unknown)";
  for (const RKnownPlayer& p : players_)
    if (p.id == current_.player) name = p.name;
  return name;
}

int32_t CMultiplayer::MessageCount(uint32_t player) {
  if (!Connected() || !InSession()) return 0;
  Drain();
  return queue_.Count(player);
}

void CMultiplayer::MessageClear(uint32_t player) {
  if (!Connected() || !InSession()) return;
  Drain();
  queue_.Clear(player);
}

void CMultiplayer::Drain() {
  Platform_NetServiceAll();
  uint32_t sender;
  std::span<const uint8_t> bytes;
  TMess record;
  while (service_->NextRecord(sender, bytes)) {
    // Sender 0 is the service itself, never a player.
    if (sender == 0) continue;
    if (!DPlay_DecodeRecord(bytes, record)) {
      bad_records_++;
      continue;
    }
    record.player = sender;
    if (record.kind == DPLAY_KIND_MESSAGE) {
      if (!queue_.Append(std::move(record))) queue_drops_++;
    } else {
      shared_.Store(record.id, record.value);  // ids out of range are ignored
    }
  }
}

// --- the engine's instance ------------------------------------------------------

namespace {
RGameGuid g_GameGuid{};
std::unique_ptr<CMultiplayer>& Instance() {
  static std::unique_ptr<CMultiplayer> instance;
  return instance;
}
}  // namespace

CMultiplayer& DPlay() {
  std::unique_ptr<CMultiplayer>& instance = Instance();
  if (!instance) {
    instance = std::make_unique<CMultiplayer>();
    instance->SetGameGuid(g_GameGuid);
  }
  return *instance;
}

void DPlay_SetGameGuid(const uint8_t guid[16]) {
  std::copy(guid, guid + 16, g_GameGuid.begin());
  DPlay().SetGameGuid(g_GameGuid);
}

void DPlay_Reset() { Instance().reset(); }
