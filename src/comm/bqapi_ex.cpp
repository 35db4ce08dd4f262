#include "comm/bqapi_ex.h"

#include <new>
#include <string>

#include "comm/printer_commands.h"
#include "foundation/debug_log.h"
#include "platform/text.h"

namespace snmp = moni::comm::snmp;

// ---------------------------------------------------------------------------
// CBqApiEx

int CBqApiEx::CommonBQSend(const std::uint8_t* data, std::uint32_t length, std::vector<std::uint8_t>& reply) {
  CDebugLog log("CBqApiEx::CommonBQSend");
  reply.clear();
  if (m_hChannel < 0) return bqapi::kNoChannel;
  const int sent = BQSend(m_hChannel, data, length);
  log.Write("BQSend : %d\n", sent);
  if (sent < 0) return sent;
  return GetPrinterReply(reply);
}

int CBqApiEx::GetPrinterReply(std::vector<std::uint8_t>& reply) { return Receive(reply, bqapi::kReceiveWait); }

int CBqApiEx::Receive(std::vector<std::uint8_t>& reply, std::uint32_t wait) {
  CDebugLog log("CBqApiEx::Receive");
  reply.clear();
  std::uint32_t size = 0;
  int result = BQReceive(m_hChannel, nullptr, &size, wait);
  if (result == bqapi::kNothingToReceive) return 0;
  if (result != bqapi::kNeedBuffer) {
    log.Write("BQReceive(size) : %d\n", result);
    return result < 0 ? result : 0;
  }
  if (size == 0) return 0;
  if (size > kMaxReply) {
    log.Write("BQReceive : reply size %u refused\n", size);
    return bqapi::kNeedBuffer;
  }
  try {
    reply.assign(size + 1, 0);
  } catch (const std::bad_alloc&) {
    return bqapi::kNeedBuffer;
  }
  std::uint32_t got = size;
  result = BQReceive(m_hChannel, reply.data(), &got, wait);
  if (result == bqapi::kNothingToReceive || result < 0) {
    reply.clear();
    return result == bqapi::kNothingToReceive ? 0 : result;
  }
  // The library's size is believed only as far as the buffer reaches.
  if (got > size) got = size;
  reply.resize(got);
  return static_cast<int>(got);
}

// ---------------------------------------------------------------------------
// CBqApiEx2

std::uint32_t CBqApiEx2::MakeSnmpPacket(const std::uint8_t* command, std::uint32_t length, std::uint8_t* packet) {
  return static_cast<std::uint32_t>(snmp::MakeSnmpPacket(command, length, packet));
}

int CBqApiEx2::GetPrinterReply(std::vector<std::uint8_t>& reply) {
  if (Selected().channel != bqapi::kChannelNetwork) return CBqApiEx::GetPrinterReply(reply);
  CDebugLog log("CBqApiEx2::GetPrinterReply");
  std::vector<std::uint8_t> received;
  const int result = Receive(received, bqapi::kReceiveWaitNetwork);
  reply.clear();
  if (result <= 0) return result;
  const snmp::Reply parsed = snmp::ParseSnmpReply(received.data(), received.size());
  switch (parsed.outcome) {
    case snmp::ReplyOutcome::kAnswer:
      reply.assign(parsed.answer, parsed.answer + parsed.answerLength);
      return static_cast<int>(reply.size());
    case snmp::ReplyOutcome::kError:
      m_nLastSnmpError = parsed.errorStatus;
      log.Write("Packet error : error status = %d, error index = %d\n", parsed.errorStatus, parsed.errorIndex);
      return 0;
    case snmp::ReplyOutcome::kMalformed:
      log.Write("Packet result error\n");
      return 0;
    default:
      return 0;
  }
}

int CBqApiEx2::SendPacked(const std::uint8_t* command, std::uint32_t length, std::vector<std::uint8_t>& reply) {
  std::uint8_t packet[snmp::kPacketBufferSize];
  const std::uint32_t size = MakeSnmpPacket(command, length, packet);
  if (size == 0) {
    reply.clear();
    return -1;
  }
  return CommonBQSend(packet, size, reply);
}

int CBqApiEx2::GetPrinterStatus(std::vector<std::uint8_t>& reply) {
  return SendPacked(moni::comm::kStatusRequest, sizeof moni::comm::kStatusRequest, reply);
}

int CBqApiEx2::GetTagchipReplacementReset(std::vector<std::uint8_t>& reply) {
  reply.clear();
  if (m_hChannel < 0) return bqapi::kNoChannel;
  if (OnNetwork() && m_nPrintServerType == kServerD4)
    return SendPacked(moni::comm::kCartridgeReset, sizeof moni::comm::kCartridgeReset, reply);
  if (Selected().channel == 0x10000005) return CommonBQSend(moni::comm::kCartridgeReset, sizeof moni::comm::kCartridgeReset, reply);
  return -1;
}

int CBqApiEx2::CheckPrintServer() {
  CDebugLog log("CBqApiEx2::CheckPrintServer");
  if (!OnNetwork()) return -1;
  const std::wstring& deviceId = GetDeviceID(m_nOpenType, m_bHasName ? m_strName.c_str() : nullptr);
  const size_t at = deviceId.find(L"CMD:");
  if (at == std::wstring::npos) return -1;
  const std::wstring commands = deviceId.substr(at + 4, deviceId.find(L';', at + 4) - (at + 4));
  if (commands.find(L"D4") == std::wstring::npos) return -1;
  std::vector<std::uint8_t> reply;
  m_nPrintServerType = GetPrinterStatus(reply) > 0 ? kServerD4 : kServerPlain;
  const int type = m_nPrintServerType.load();
  log.Write("result : Print Server Type = %d\n", type);
  return type;
}
