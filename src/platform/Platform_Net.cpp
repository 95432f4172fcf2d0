#include "platform/Platform_Net.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <netdb.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

// Channel 0 carries reliable packets in order, channel 1 unreliable ones.
constexpr enet_uint8 kReliableChannel = 0;
constexpr enet_uint8 kUnreliableChannel = 1;
constexpr size_t kChannels = 2;
// The largest packet a peer may send us; the service's records are far
// smaller, so a peer cannot make us hold megabytes for one packet.
constexpr size_t kMaximumPacket = 128 * 1024;
// Events handled per host and service pass, so a flood cannot hold the step.
constexpr int kEventsPerService = 4096;

bool g_Initialised = false;

// Every live host, for Platform_NetServiceAll and the probe intercept. Never
// freed: hosts owned by other static objects may close after exit begins.
std::vector<CNetHost*>& Hosts() {
  static auto* hosts = new std::vector<CNetHost*>;
  return *hosts;
}

ENetAddress ToEnet(const RNetAddress& a) {
  ENetAddress e;
  e.host = htonl(a.ip);
  e.port = a.port;
  return e;
}

RNetAddress FromEnet(const ENetAddress& e) { return {ntohl(e.host), e.port}; }

}  // namespace

// Reaches the private fields from the library's callbacks.
struct RNetHostAccess {
  static ENetHost* Host(const CNetHost& h) { return static_cast<ENetHost*>(h.host_); }
  static CNetHost* Find(ENetHost* host) {
    for (CNetHost* h : Hosts())
      if (h->host_ == host) return h;
    return nullptr;
  }
  // Takes probe datagrams off the host's socket before the protocol sees them.
  static int ENET_CALLBACK Intercept(ENetHost* host, ENetEvent*) {
    if (host->receivedDataLength < sizeof NET_PROBE_MAGIC ||
        std::memcmp(host->receivedData, NET_PROBE_MAGIC, sizeof NET_PROBE_MAGIC) != 0)
      return 0;
    CNetHost* owner = Find(host);
    if (owner == nullptr) return 1;
    std::vector<uint8_t> reply;
    if (owner->handler_->OnProbe({host->receivedData, host->receivedDataLength}, reply) && !reply.empty()) {
      ENetBuffer buffer{reply.data(), reply.size()};
      enet_socket_send(host->socket, &host->receivedAddress, &buffer, 1);
    } else {
      owner->rejected_probes_++;
    }
    return 1;
  }
};

bool Platform_NetInit() {
  if (!g_Initialised) g_Initialised = enet_initialize() == 0;
  return g_Initialised;
}

std::unique_ptr<CNetHost> CNetHost::Create(const RNetAddress* bind, int32_t max_peers, INetHandler* handler) {
  if (!Platform_NetInit() || handler == nullptr) return nullptr;
  ENetAddress address;
  if (bind != nullptr) address = ToEnet(*bind);
  ENetHost* host = enet_host_create(bind ? &address : nullptr, static_cast<size_t>(std::max(max_peers, 1)), kChannels, 0, 0);
  if (host == nullptr) return nullptr;
  host->maximumPacketSize = kMaximumPacket;
  host->intercept = RNetHostAccess::Intercept;
  std::unique_ptr<CNetHost> owner(new CNetHost());
  owner->host_ = host;
  owner->handler_ = handler;
  Hosts().push_back(owner.get());
  return owner;
}

CNetHost::~CNetHost() {
  std::erase(Hosts(), this);
  if (ENetHost* host = RNetHostAccess::Host(*this)) {
    enet_host_flush(host);
    enet_host_destroy(host);
  }
}

RNetAddress CNetHost::LocalAddress() const {
  ENetAddress address{};
  enet_socket_get_address(RNetHostAccess::Host(*this)->socket, &address);
  return FromEnet(address);
}

int32_t CNetHost::Connect(const RNetAddress& to, uint32_t data) {
  ENetHost* host = RNetHostAccess::Host(*this);
  ENetAddress address = ToEnet(to);
  ENetPeer* peer = enet_host_connect(host, &address, kChannels, data);
  if (peer == nullptr) return -1;
  return static_cast<int32_t>(peer - host->peers);
}

namespace {

ENetPeer* ConnectedPeer(ENetHost* host, int32_t peer) {
  if (peer < 0 || static_cast<size_t>(peer) >= host->peerCount) return nullptr;
  ENetPeer* p = &host->peers[peer];
  return p->state == ENET_PEER_STATE_CONNECTED ? p : nullptr;
}

}  // namespace

bool CNetHost::Send(int32_t peer, std::span<const uint8_t> bytes, bool reliable) {
  return SendToMany({&peer, 1}, bytes, reliable);
}

bool CNetHost::SendToMany(std::span<const int32_t> peers, std::span<const uint8_t> bytes, bool reliable) {
  ENetHost* host = RNetHostAccess::Host(*this);
  for (int32_t peer : peers)
    if (ConnectedPeer(host, peer) == nullptr) return false;
  if (peers.empty()) return true;
  // One packet for all targets: the library counts its references.
  ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
  if (packet == nullptr) return false;
  bool sent = true;
  for (int32_t peer : peers)
    sent = enet_peer_send(&host->peers[peer], reliable ? kReliableChannel : kUnreliableChannel, packet) == 0 && sent;
  if (packet->referenceCount == 0) enet_packet_destroy(packet);
  return sent;
}

void CNetHost::Disconnect(int32_t peer, uint32_t reason) {
  ENetHost* host = RNetHostAccess::Host(*this);
  if (peer < 0 || static_cast<size_t>(peer) >= host->peerCount) return;
  ENetPeer* p = &host->peers[peer];
  if (p->state == ENET_PEER_STATE_CONNECTED)
    enet_peer_disconnect_later(p, reason);
  else if (p->state != ENET_PEER_STATE_DISCONNECTED)
    enet_peer_disconnect(p, reason);
}

void CNetHost::Drop(int32_t peer) {
  ENetHost* host = RNetHostAccess::Host(*this);
  if (peer >= 0 && static_cast<size_t>(peer) < host->peerCount) enet_peer_reset(&host->peers[peer]);
}

RNetAddress CNetHost::PeerAddress(int32_t peer) const {
  ENetHost* host = RNetHostAccess::Host(*this);
  if (peer < 0 || static_cast<size_t>(peer) >= host->peerCount) return {};
  return FromEnet(host->peers[peer].address);
}

int32_t CNetHost::ActivePeers() const {
  ENetHost* host = RNetHostAccess::Host(*this);
  int32_t n = 0;
  for (size_t i = 0; i < host->peerCount; i++)
    if (host->peers[i].state != ENET_PEER_STATE_DISCONNECTED) n++;
  return n;
}

void CNetHost::Service(uint32_t wait_ms) {
  // A handler that waits (and so services every host) must not re-enter the
  // host whose event it is handling.
  if (in_service_) return;
  in_service_ = true;
  ENetHost* host = RNetHostAccess::Host(*this);
  ENetEvent event;
  int budget = kEventsPerService;
  int status = enet_host_service(host, &event, wait_ms);
  while (status > 0 && budget-- > 0) {
    const int32_t peer = event.peer ? static_cast<int32_t>(event.peer - host->peers) : -1;
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT:
        handler_->OnConnect(peer, event.data);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        handler_->OnDisconnect(peer, event.data);
        break;
      case ENET_EVENT_TYPE_RECEIVE:
        handler_->OnReceive(peer, {event.packet->data, event.packet->dataLength},
                            (event.packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0);
        enet_packet_destroy(event.packet);
        break;
      default:
        break;
    }
    status = enet_host_service(host, &event, 0);
  }
  handler_->OnServiced();
  in_service_ = false;
}

void CNetHost::Flush() { enet_host_flush(RNetHostAccess::Host(*this)); }

void Platform_NetServiceAll() {
  // Indexed: a handler may start no host, but stay safe if the list moves.
  std::vector<CNetHost*>& hosts = Hosts();
  for (size_t i = 0; i < hosts.size(); i++) hosts[i]->Service(0);
}

void Platform_NetProbe(std::span<const RNetAddress> targets, std::span<const uint8_t> probe, uint32_t wait_ms,
                       bool (*on_reply)(void* context, const RNetAddress& from, std::span<const uint8_t> bytes),
                       void* context) {
  if (!Platform_NetInit()) return;
  ENetSocket socket = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
  if (socket == ENET_SOCKET_NULL) return;
  enet_socket_set_option(socket, ENET_SOCKOPT_NONBLOCK, 1);
  enet_socket_set_option(socket, ENET_SOCKOPT_BROADCAST, 1);
  ENetBuffer out{const_cast<uint8_t*>(probe.data()), probe.size()};
  for (const RNetAddress& target : targets) {
    ENetAddress address = ToEnet(target);
    enet_socket_send(socket, &address, &out, 1);
  }
  uint8_t reply[2048];
  const int64_t deadline = Platform_NetMilliseconds() + wait_ms;
  bool done = false;
  while (!done && Platform_NetMilliseconds() < deadline) {
    Platform_NetServiceAll();
    ENetAddress from;
    ENetBuffer in{reply, sizeof reply};
    int n;
    while (!done && (n = enet_socket_receive(socket, &from, &in, 1)) > 0)
      done = on_reply(context, FromEnet(from), {reply, static_cast<size_t>(n)});
    if (done) break;
    enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
    enet_socket_wait(socket, &condition, 1);
  }
  enet_socket_destroy(socket);
}

bool Platform_NetResolve(const std::string& host, uint32_t& ip) {
  if (!Platform_NetInit() || host.empty()) return false;
  ENetAddress address{};
  if (enet_address_set_host(&address, host.c_str()) != 0) return false;
  ip = ntohl(address.host);
  return true;
}

std::string Platform_NetLocalAddress() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) return "";
  const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&in->sin_addr);
  std::string text;
  for (int i = 0; i < 4; i++) text += (i ? "." : "") + std::to_string(bytes[i]);
  freeaddrinfo(found);
  return text;
}

int64_t Platform_NetMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void Platform_NetIdle() {
  Platform_NetServiceAll();
  usleep(1000);
}
