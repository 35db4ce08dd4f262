// Status reply decoding and the status tables (portable core, no windows.h).
//
// A status reply, as the communication library returns it on a status
// channel, becomes a decoded status record (StatusBuff) and a status number;
// the status number selects a row of the status information table, whose kind
// key selects a row of the status kind table.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace moni::status {

// How a channel's reply is read: 1 "@BDC ST" replies, 2 "hbm" replies, 0 others.
int ReplyKindOfChannel(std::uint32_t channel);

// The decoded status record. Field order and initial values are part of the
// record's contract (InitStatusBuff); the record is zeroed first.
struct StatusBuff {
  std::uint8_t byState;
  std::uint8_t byError;
  std::uint8_t byInkCount;
  std::uint8_t abyInkRemain[10];
  std::uint8_t byInkSlotCount;  // binary form: inks (<= 10); text form: 16-bit slots of the run awInkCode, awInkColor (<= 20)
  std::uint16_t awInkCode[10];
  std::uint16_t awInkColor[10];
  std::uint32_t dwInkStateBits;
  std::uint32_t dwWarningBits;
  std::uint8_t byWarningCount;  // codes kept in abyWarning (<= 32, also when a reply announces more)
  std::uint8_t abyWarning[32];
  std::uint8_t abyRC[3];
  std::uint32_t bCancel;
  std::uint32_t dwJobNo;
  std::uint8_t abyJobText[33];  // at most 32 bytes kept: always ends with 0
  std::uint32_t dwReserved0;  // initialised only (0)
  std::uint32_t dwReserved2;  // initialised only (2)
  std::uint32_t dwValue24;
  std::uint32_t dwValue0E;
  std::uint32_t dwLen1F;
  std::uint8_t aby1F[20];
  std::uint8_t abyInkExtra[10];
  std::uint8_t byReserved0;       // initialised only (0)
  std::uint8_t abyReservedFF[10];  // initialised only (0xFF)
};

// Zeroes the record and sets the initial values.
void InitStatusBuff(StatusBuff& record);

// Fill a record from a reply; true on success. ConvertStatusInfo initialises
// the record and picks the binary ("@BDC ST2\r\n") or text ("@BDC ST\r\n") form.
// No byte outside [reply, reply + size) is read. A binary field that runs past
// the reply, or an ink field that is not whole entries, fails the reply; a
// number field (0x0E, 0x24) that is empty or beyond 32 bits keeps its initial
// value; a job field (0x19) shorter than 5 bytes gives the job number from
// the bytes it has.
bool ConvertStatusInfo(const std::uint8_t* reply, std::size_t size, StatusBuff& record);
bool ConvertBinaryStatus(const std::uint8_t* reply, std::size_t size, StatusBuff& record);
bool ConvertAsciiStatus(const std::uint8_t* reply, std::size_t size, StatusBuff& record);

// The selected warning of a record (for the status code table); 0 when none.
std::uint8_t SelectedWarning(const StatusBuff& record);
// The ink state bits of the first four inks and the warning bits.
std::uint32_t InkStateBits(const StatusBuff& record);
std::uint32_t WarningBits(const StatusBuff& record);

// The status number of a kind-1 record: the first matching row of the status
// code table (0 when none). `rowIndex`, when given, receives that row's index
// or -1.
int GetStatusNo(const StatusBuff& record, int* rowIndex = nullptr);

// The status of a kind-2 ("hbm") reply: false when the reply cannot be read
// (the object is then not made): an entry 0xFF, an entry that runs past the
// reply, no entry 0xFE before the end, or an entry 0xFE without a data byte.
bool ReadHbmStatus(const std::uint8_t* reply, std::size_t size, int& status);

// One row of the status information table.
struct StatusInfoRow {
  std::int32_t kind;
  std::int32_t status;  // -1: the kind's default row
  std::int32_t simple;
  std::int32_t notify;
  std::int32_t text1;
  std::int32_t text2;
  std::int32_t kindKey;
  std::int32_t utility;  // 16-bit signed in the table: -1 no utility
  std::int32_t troubleshooting;
  std::int32_t zero;
  std::int32_t third;
  std::int32_t button1;
  std::int32_t button2;
};

// One row of the status kind table: the key and five values.
struct StatusKindRow {
  std::int32_t key;
  std::int32_t values[5];
};

// The index of the status information row for kind and status, or -1. Asked
// for kind 0 and status -1 it returns the table's ending row.
int SearchStatusInfo(int kind, int status);
// The row at an index; the ending row for an index outside the table.
const StatusInfoRow& StatusInfoAt(int index);
// The status kind row of a kind key; the ending row (key 0, zeros) when none.
StatusKindRow StatusKindOf(int key);

// What the window's buttons become for a row (CreateStatusObject step 5):
// `printerHasJob` answers whether the printer has a job queued (asked only
// for rows whose second button is 1614).
struct ButtonInputs {
  std::uint32_t channel;
  bool network;
  bool keepButtons;
};
template <typename HasJob>
void AdjustButtons(StatusInfoRow& row, const ButtonInputs& in, HasJob printerHasJob) {
  if (row.button2 == 1614) {
    if (!printerHasJob()) row.button2 = 0;
  } else if ((in.network || (in.channel != 0 && in.channel != 0x10000005)) && !(row.button1 == 1600 && row.button2 == 0)) {
    if (!in.keepButtons || row.button1 == 1605) row.button1 = 1601;
    row.button2 = 0;
  }
}

// The ink name table: the string ID of the name of the ink in `slot` with
// `inkCode`, or 0 when the table has no such row.
std::uint32_t InkNameStringId(int slot, std::uint16_t inkCode);

// Which of the four ink slots a message template lists (bit i = slot i), for
// the template text IDs; 0 for other IDs.
bool IsInkListMessage(int textId);
unsigned ConcernedInkSlots(int textId, std::uint32_t inkStateBits, std::uint32_t warningBits);

// The four ink texts of the ink status page address: the first byInkCount
// (at most 4) remaining-ink values, "NA" for the marks 0xFF, 0xFE, 0xFD and
// for slots without an ink, else the decimal number.
void InkStatusTexts(const StatusBuff& record, std::string texts[4]);

}  // namespace moni::status
