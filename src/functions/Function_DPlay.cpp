// Function_DPlay: the mplay_* built-ins over the engine's multiplayer state
// (DPlay_Main). None reports a script error: a failure gives false, 0 or "".
#include <string>

#include "functions/DPlay_Main.h"
#include "variables/Code_Function.h"

namespace {

// Player ids reach scripts as the signed reading of their 32 bits.
double IdValue(uint32_t id) { return static_cast<int32_t>(id); }

// A player argument: a string names a known player (false when none has the
// name), a real is an id by its low 32 bits.
bool PlayerArg(const RValue* args, int i, uint32_t& id) {
  if (args[i].IsString()) return DPlay().PlayerByName(ArgString(args, i), id);
  id = static_cast<uint32_t>(ArgInt(args, i));
  return true;
}

// IPX, modem and serial connections have no transport here: like a system
// without the service, their init gives false.
void FnInitUnavailable(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(0); }

void FnInitTcpip(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(DPlay().InitTcpip(ArgString(args, 0)));
}
void FnConnectStatus(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(DPlay().ConnectStatus()); }
void FnEnd(CInstance*, CInstance*, int, RValue*, RValue&) { DPlay().End(); }
void FnIpAddress(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetString(Platform_NetLocalAddress()); }

void FnSessionMode(CInstance*, CInstance*, int, RValue* args, RValue&) { DPlay().SetSessionMode(ArgReal(args, 0) != 0); }
void FnSessionCreate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(DPlay().SessionCreate(ArgString(args, 0), ArgInt(args, 1), ArgString(args, 2)));
}
void FnSessionFind(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(DPlay().SessionFind()); }
void FnSessionName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(DPlay().SessionName(ArgInt(args, 0)));
}
void FnSessionJoin(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(DPlay().SessionJoin(ArgInt(args, 0), ArgString(args, 1)));
}
void FnSessionStatus(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(DPlay().SessionStatus()); }
void FnSessionEnd(CInstance*, CInstance*, int, RValue*, RValue&) { DPlay().SessionEnd(); }

void FnPlayerFind(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(DPlay().PlayerFind()); }
void FnPlayerName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(DPlay().PlayerName(ArgInt(args, 0)));
}
void FnPlayerId(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(IdValue(DPlay().PlayerId(ArgInt(args, 0))));
}

void FnDataWrite(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(DPlay().DataWrite(ArgInt(args, 0), args[1]));
}
void FnDataRead(CInstance*, CInstance*, int, RValue* args, RValue& result) { result = DPlay().DataRead(ArgInt(args, 0)); }
void FnDataMode(CInstance*, CInstance*, int, RValue* args, RValue&) { DPlay().SetDataMode(ArgReal(args, 0) != 0); }

template <bool Guaranteed>
void FnMessageSend(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  uint32_t player;
  result.SetReal(PlayerArg(args, 0, player) && DPlay().MessageSend(player, ArgInt(args, 1), args[2], Guaranteed));
}
void FnMessageReceive(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  uint32_t player;
  result.SetReal(PlayerArg(args, 0, player) && DPlay().MessageReceive(player));
}
void FnMessageId(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(DPlay().Current().id); }
void FnMessageValue(CInstance*, CInstance*, int, RValue*, RValue& result) { result = DPlay().Current().value; }
void FnMessagePlayer(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(IdValue(DPlay().Current().player));
}
void FnMessageName(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetString(DPlay().MessageName()); }
void FnMessageCount(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(DPlay().MessageCount(static_cast<uint32_t>(ArgInt(args, 0))));
}
void FnMessageClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  DPlay().MessageClear(static_cast<uint32_t>(ArgInt(args, 0)));
}

constexpr RFunctionDef kFunctions[] = {
    {"mplay_init_ipx", FnInitUnavailable, 0},
    {"mplay_init_tcpip", FnInitTcpip, 1},
    {"mplay_init_modem", FnInitUnavailable, 2},
    {"mplay_init_serial", FnInitUnavailable, 5},
    {"mplay_connect_status", FnConnectStatus, 0},
    {"mplay_end", FnEnd, 0},
    {"mplay_session_mode", FnSessionMode, 1},
    {"mplay_session_create", FnSessionCreate, 3},
    {"mplay_session_find", FnSessionFind, 0},
    {"mplay_session_name", FnSessionName, 1},
    {"mplay_session_join", FnSessionJoin, 2},
    {"mplay_session_status", FnSessionStatus, 0},
    {"mplay_session_end", FnSessionEnd, 0},
    {"mplay_player_find", FnPlayerFind, 0},
    {"mplay_player_name", FnPlayerName, 1},
    {"mplay_player_id", FnPlayerId, 1},
    {"mplay_data_write", FnDataWrite, 2},
    {"mplay_data_read", FnDataRead, 1},
    {"mplay_data_mode", FnDataMode, 1},
    {"mplay_message_send", FnMessageSend<false>, 3},
    {"mplay_message_send_guaranteed", FnMessageSend<true>, 3},
    {"mplay_message_receive", FnMessageReceive, 1},
    {"mplay_message_id", FnMessageId, 0},
    {"mplay_message_value", FnMessageValue, 0},
    {"mplay_message_player", FnMessagePlayer, 0},
    {"mplay_message_name", FnMessageName, 0},
    {"mplay_message_count", FnMessageCount, 1},
    {"mplay_message_clear", FnMessageClear, 1},
    {"mplay_ipaddress", FnIpAddress, 0},
};

}  // namespace

void Function_DPlay_Register() { RegisterFunctions(kFunctions); }
