#pragma once

// What the fixture plug-in answers to effVendorSpecific, shared by the
// fixture and the tests: the tests' window into what the plug-in saw.
enum FixtureRequest
{
  // Calls the host with opcode `value`, index 0, the given ptr and opt, and
  // returns the host's answer: any host answer, through the real callback.
  kFixtureAskHost = 0x4B760001,
  // Copies the time info the plug-in got in its latest process call to ptr
  // (a VstTimeInfo*); returns 1 if it got one, 0 if the host answered null,
  // -1 if it never asked.
  kFixtureLastTimeInfo = 0x4B760002,
  // Entry point calls since the binary was loaded.
  kFixtureEntryCount = 0x4B760003,
  // The host's audioMasterVersion answer, asked with a null effect in the
  // entry point.
  kFixtureEntryHostVersion = 0x4B760004,
  // Copies to ptr (64 bytes) the product string the host gave in the entry
  // point, asked with the new effect before the host knew it.
  kFixtureEntryProduct = 0x4B760005,
};

// The fixture's identity.
const int kFixtureUniqueId = 0x4B764678; // 'KvFx'
const int kFixtureVersion = 1234;
const int kFixtureParams = 3;
const int kFixturePrograms = 2;
const int kFixtureChannels = 2;
const int kFixtureProgramChunkSize = 12; // the parameters as floats
const int kFixtureBankChunkSize = 16;    // "KvBk" and the parameters
const int kFixtureBadMagic = 0x12345678;

// The fixture's exported log of lifecycle requests, one word each:
// entry open close rate=<hz> block=<n> mains=<0|1> start stop. The call
// copies the log to out (NUL-terminated, at most size bytes) and clears it.
typedef void (*FixtureTakeLogProc)(char* out, int size);
#define KOLVANE_FIXTURE_TAKE_LOG "KolvaneFixtureTakeLog"
