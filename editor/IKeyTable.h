#pragma once

// The editor's keys, and the one table that says which key of each system's
// keyboard becomes which of them, so that a key is described once for every
// window.
//
// The editor's keys are what IControl::OnKeyDown gets: 0 space; 1 to 4 the
// arrows up, down, left and right; 5 to 14 the digits 0 to 9; 15 to 40 the
// letters A to Z. Any other key is none of the editor's, and the window
// passes it on to the host.
//
// Each row of the table is a run of consecutive editor keys with the first
// of the consecutive codes each system sends for them: Win32's virtual-key
// code (the key message's wParam) and X11's keysym (the key's unshifted
// symbol). The codes stand as numbers, so that this header needs neither
// system's headers; each window's source checks its column against its
// system's names (KeyColumnIs) with static_assert.

#include <cstddef>
#include <cstdint>

enum EKeyCode
{
  kKeyNone = -1,
  kKeySpace = 0,
  kKeyUp = 1,
  kKeyDown = 2,
  kKeyLeft = 3,
  kKeyRight = 4,
  kKeyDigit0 = 5, // to kKeyDigit0 + 9, the digit 9
  kKeyA = 15,     // to kKeyA + 25, the letter Z
};

enum class EKeySystem
{
  kWin32,
  kX11,
};

struct IKeyRun
{
  int key;   // the run's first editor key
  int count; // how many keys the run holds
  // The code each system sends for the first key; 0 where that system sends
  // none of the run (0 is no key in either).
  std::uint32_t win32;
  std::uint32_t x11;
};

// clang-format off
inline constexpr IKeyRun kKeyTable[] = {
  // editor key   keys  Win32   X11
  {kKeySpace,        1, 0x20,   0x0020}, // VK_SPACE; XK_space
  {kKeyUp,           1, 0x26,   0xFF52}, // VK_UP; XK_Up
  {kKeyDown,         1, 0x28,   0xFF54}, // VK_DOWN; XK_Down
  {kKeyLeft,         1, 0x25,   0xFF51}, // VK_LEFT; XK_Left
  {kKeyRight,        1, 0x27,   0xFF53}, // VK_RIGHT; XK_Right
  {kKeyDigit0,      10, 0x30,   0x0030}, // '0' to '9'; XK_0 to XK_9
  {kKeyA,           26, 0x41,   0x0061}, // 'A' to 'Z'; XK_a to XK_z
  {kKeyA,           26, 0,      0x0041}, // XK_A to XK_Z, from a keymap listing only capitals
  // Win32's codes 0x61 to 0x7A, the lower-case letters' in ASCII, are the
  // keypad's 1 to 9, its operators and F1 to F11. They have always reached
  // the controls as letters, and X11's keys of those names do the same, so
  // that a key means one thing to a control on every system.
  {kKeyA,            9, 0x61,   0xFFB1}, // VK_NUMPAD1 to 9; XK_KP_1 to 9
  {kKeyA + 9,        6, 0x6A,   0xFFAA}, // VK_MULTIPLY to VK_DIVIDE; XK_KP_Multiply to XK_KP_Divide
  {kKeyA + 15,      11, 0x70,   0xFFBE}, // VK_F1 to VK_F11; XK_F1 to XK_F11
};
// clang-format on

// The first code the system sends for the run's first key, 0 for none.
constexpr std::uint32_t KeyRunCode(const IKeyRun& run, EKeySystem system)
{
  return system == EKeySystem::kWin32 ? run.win32 : run.x11;
}

// The editor's key for the code the system sent, or kKeyNone.
constexpr int KeyFromSystem(EKeySystem system, std::uint64_t code)
{
  for (const IKeyRun& run : kKeyTable)
  {
    const std::uint32_t first = KeyRunCode(run, system);
    if (first != 0 && code >= first && code - first < static_cast<std::uint64_t>(run.count))
    {
      return run.key + static_cast<int>(code - first);
    }
  }
  return kKeyNone;
}

// True when names, row by row, are the system's column of the table: each
// run's first and last code ({0, 0} where the system sends none). Each
// window's source hands it the column in its system's own names.
template <std::size_t N>
constexpr bool KeyColumnIs(EKeySystem system, const std::uint32_t (&names)[N][2])
{
  if (N != sizeof kKeyTable / sizeof kKeyTable[0])
  {
    return false;
  }
  for (std::size_t i = 0; i < N; ++i)
  {
    const std::uint32_t first = KeyRunCode(kKeyTable[i], system);
    const std::uint32_t last =
        first ? first + static_cast<std::uint32_t>(kKeyTable[i].count) - 1 : 0;
    if (names[i][0] != first || names[i][1] != last)
    {
      return false;
    }
  }
  return true;
}

// True when no code of the system lies in two runs, so that the table
// gives each code one key whatever the order of its rows.
constexpr bool KeyRunsApart(EKeySystem system)
{
  for (const IKeyRun& a : kKeyTable)
  {
    for (const IKeyRun& b : kKeyTable)
    {
      const std::uint32_t fa = KeyRunCode(a, system), fb = KeyRunCode(b, system);
      if (&a != &b && fa != 0 && fb != 0 && fa < fb + static_cast<std::uint32_t>(b.count) &&
          fb < fa + static_cast<std::uint32_t>(a.count))
      {
        return false;
      }
    }
  }
  return true;
}
// True when every one of the editor's keys comes from some code of the
// system, and no run reaches past the last key: a control hears the same
// keys on every system.
constexpr bool KeyRunsCoverTheKeys(EKeySystem system)
{
  for (int key = kKeySpace; key <= kKeyA + 25; ++key)
  {
    bool found = false;
    for (const IKeyRun& run : kKeyTable)
    {
      found =
          found || (KeyRunCode(run, system) != 0 && key >= run.key && key < run.key + run.count);
    }
    if (!found)
    {
      return false;
    }
  }
  for (const IKeyRun& run : kKeyTable)
  {
    if (run.key < kKeySpace || run.key + run.count - 1 > kKeyA + 25)
    {
      return false;
    }
  }
  return true;
}
static_assert(KeyRunsApart(EKeySystem::kWin32), "a Win32 code in two runs of the key table");
static_assert(KeyRunsApart(EKeySystem::kX11), "an X11 keysym in two runs of the key table");
static_assert(KeyRunsCoverTheKeys(EKeySystem::kWin32), "an editor key no Win32 code gives");
static_assert(KeyRunsCoverTheKeys(EKeySystem::kX11), "an editor key no X11 keysym gives");
