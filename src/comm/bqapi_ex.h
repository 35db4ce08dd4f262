// Commands and their answers on an open channel.
//
// - CBqApiEx sends on the channel and reads the printer's answer as it is.
// - CBqApiEx2 adds the network path: on channel 0x00000004 a printer behind a
//   print server is reached through SNMP version 1 (comm/snmp_packet.h); the
//   answer is unpacked from the response, and the print server's kind (plain,
//   or "D4") decides how commands are packed.
//
// Answers are the caller's (a vector); failures are results, never thrown.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "comm/bqapi_binding.h"
#include "comm/snmp_packet.h"

class CBqApiEx : public CBqApiChannel {
 public:
  using CBqApiChannel::CBqApiChannel;
  ~CBqApiEx() override = default;  // the channel selector closes an open channel

  // Sends the bytes and reads the answer into `reply` (cleared first): the
  // answer's length (0 none), -16 without an open channel, or the failure of
  // the send or the receive.
  int CommonBQSend(const std::uint8_t* data, std::uint32_t length, std::vector<std::uint8_t>& reply);

  // Reads the printer's answer: its length (0 when none came) or the
  // library's failure.
  virtual int GetPrinterReply(std::vector<std::uint8_t>& reply);

  // The longest answer taken from the library.
  static constexpr std::uint32_t kMaxReply = CBqApiBase::kMaxQuerySize;

 protected:
  // BQReceive in its two calls with the wait value; same results as above.
  int Receive(std::vector<std::uint8_t>& reply, std::uint32_t wait);
};

class CBqApiEx2 : public CBqApiEx {
 public:
  using CBqApiEx::CBqApiEx;

  // Print server kinds.
  static constexpr int kServerUnknown = -1;
  static constexpr int kServerPlain = 0;
  static constexpr int kServerD4 = 1;

  // On the network channel the answer unpacked from an SNMP response (0 when
  // the response reports an error, is not one, or holds no answer); on other
  // channels as CBqApiEx.
  int GetPrinterReply(std::vector<std::uint8_t>& reply) override;

  // The GetRequest carrying the (already encoded) command; its length, or 0
  // when the command is too long for the packet.
  static std::uint32_t MakeSnmpPacket(const std::uint8_t* command, std::uint32_t length, std::uint8_t* packet);

  // The status request, packed, through CommonBQSend.
  int GetPrinterStatus(std::vector<std::uint8_t>& reply);
  // The cartridge chip reset: packed for a "D4" print server on the network
  // channel, as it is on channel 0x10000005; -16 without a channel, -1 on any
  // other connection.
  int GetTagchipReplacementReset(std::vector<std::uint8_t>& reply);
  // On the network channel: the print server's kind from the printer's
  // device identifier ("D4" in its "CMD:") and whether it answers the status
  // request; -1 elsewhere, or when it is not a "D4" one (kind left as it is).
  int CheckPrintServer();

  int LastSnmpError() const { return m_nLastSnmpError.load(); }
  int PrintServerType() const { return m_nPrintServerType.load(); }

 protected:
  bool OnNetwork() const { return m_hChannel > 0 && Selected().channel == bqapi::kChannelNetwork; }
  // Sends a command packed by MakeSnmpPacket.
  int SendPacked(const std::uint8_t* command, std::uint32_t length, std::vector<std::uint8_t>& reply);

  // Written by a command channel's thread, read by its owner's.
  std::atomic<int> m_nLastSnmpError{0};
  std::atomic<int> m_nPrintServerType{kServerUnknown};
};
