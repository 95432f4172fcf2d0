// Platform_Net: datagram networking for the multiplayer service. Hosts that
// talk to peers over UDP with reliable (ordered) and unreliable sends, a
// one-shot probe for finding hosts on the network, and the local address.
//
// Nothing here blocks unless asked to: every host is serviced with a zero
// wait by Platform_NetServiceAll, which the platform runs with every pass of
// window messages (once per step of the main loop, and in modal waits).
// Every CNetHost is listed in this module from its creation to its
// destruction, so that pass reaches it; its owner decides its lifetime.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// An IPv4 address and port, both in host byte order. ip 0 means "any".
struct RNetAddress {
  uint32_t ip = 0;
  uint16_t port = 0;
  bool operator==(const RNetAddress&) const = default;
};

// The loopback address 127.0.0.1.
constexpr uint32_t NET_LOOPBACK = 0x7F000001u;
// The limited broadcast address 255.255.255.255.
constexpr uint32_t NET_BROADCAST = 0xFFFFFFFFu;

// What a host reports to its owner. Calls arrive from inside
// Platform_NetServiceAll and CNetHost::Service; a handler may send, connect
// and disconnect through its host there, but must not destroy any host.
class INetHandler {
 public:
  virtual ~INetHandler() = default;
  // A connection finished: one this host asked for, or an incoming one;
  // `data` is the value the connecting side passed to Connect.
  virtual void OnConnect(int32_t peer, uint32_t data) = 0;
  // A connection ended, was refused or timed out; `data` is the reason the
  // other side gave (0 for a time-out).
  virtual void OnDisconnect(int32_t peer, uint32_t data) = 0;
  // A packet arrived from a connected peer. The bytes are valid only during
  // the call.
  virtual void OnReceive(int32_t peer, std::span<const uint8_t> bytes, bool reliable) = 0;
  // A probe datagram (see Platform_NetProbe) arrived on this host's port.
  // Returns true with `reply` filled to answer the sender.
  virtual bool OnProbe(std::span<const uint8_t> probe, std::vector<uint8_t>& reply) { return false; }
  // Called after every service pass of the host, for time-driven work.
  virtual void OnServiced() {}
};

// One UDP endpoint with its peers. Peers are numbered from 0; a number is
// reused after its connection has ended.
class CNetHost {
 public:
  // Binds to `bind` (null: any address, a port the system picks) with room
  // for `max_peers` connections. Null when the port cannot be had.
  static std::unique_ptr<CNetHost> Create(const RNetAddress* bind, int32_t max_peers, INetHandler* handler);
  ~CNetHost();
  CNetHost(const CNetHost&) = delete;
  CNetHost& operator=(const CNetHost&) = delete;

  // The address and port this host is bound to.
  RNetAddress LocalAddress() const;
  // Starts a connection; its end is reported through the handler. -1 when no
  // peer slot is free.
  int32_t Connect(const RNetAddress& to, uint32_t data);
  // Queues a packet to one peer, or the same packet to several. False when a
  // peer is not connected or the packet cannot be made.
  bool Send(int32_t peer, std::span<const uint8_t> bytes, bool reliable);
  bool SendToMany(std::span<const int32_t> peers, std::span<const uint8_t> bytes, bool reliable);
  // Ends a connection after what is queued for it has gone out.
  void Disconnect(int32_t peer, uint32_t reason);
  // Forgets a peer at once, without telling it.
  void Drop(int32_t peer);
  // The address a peer is seen at.
  RNetAddress PeerAddress(int32_t peer) const;
  // Number of peers whose connection is starting, up or ending.
  int32_t ActivePeers() const;
  // Sends, receives and reports events; waits at most `wait_ms` for the first.
  void Service(uint32_t wait_ms);
  // Sends what is queued now.
  void Flush();
  // Datagrams that arrived but were neither protocol traffic nor a probe the
  // handler answered (reset never; for diagnostics and tests).
  int64_t RejectedProbes() const { return rejected_probes_; }

 private:
  CNetHost() = default;
  friend struct RNetHostAccess;
  void* host_ = nullptr;  // the library's host
  INetHandler* handler_ = nullptr;
  int64_t rejected_probes_ = 0;
  bool in_service_ = false;
};

// Starts the networking library; false when it cannot. Safe to call again.
bool Platform_NetInit();
// Services every live host with a zero wait. Run once per step.
void Platform_NetServiceAll();
// Leading bytes that mark a datagram as a probe rather than protocol traffic.
constexpr uint8_t NET_PROBE_MAGIC[4] = {'V', 'L', 'M', 'Q'};

// Sends `probe` (which must start with NET_PROBE_MAGIC) from a fresh socket
// to every target, then collects answers for at most `wait_ms`, servicing
// every live host meanwhile. `on_reply` gets each answer with the address it
// came from and returns true to stop waiting. Sending to NET_BROADCAST needs
// no more than the address.
void Platform_NetProbe(std::span<const RNetAddress> targets, std::span<const uint8_t> probe, uint32_t wait_ms,
                       bool (*on_reply)(void* context, const RNetAddress& from, std::span<const uint8_t> bytes),
                       void* context);

// The numeric IPv4 address of a host name or dotted text; false when it has
// none.
bool Platform_NetResolve(const std::string& host, uint32_t& ip);
// The first IPv4 address of this machine's host name as dotted text, "" when
// it has none.
std::string Platform_NetLocalAddress();
// Milliseconds of a steady clock, for time-outs.
int64_t Platform_NetMilliseconds();
// Blocks for about a millisecond, servicing every live host first.
void Platform_NetIdle();
