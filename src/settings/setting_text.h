#pragma once
// The text forms of stored values. Reading is strict: a text that is not
// wholly a number (or a Boolean word) does not convert, and the caller falls
// back to that value's default. "." is the decimal separator whatever the locale,
// because the program always writes it that way.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/chord.h"

namespace rc::settings {

// A decimal number with optional sign, fraction, exponent and surrounding
// blanks; nothing else.
std::optional<double> TextToDouble(std::wstring_view text);

// The number taken to the nearest integer, halves to even; nothing when it is
// not a number or lies outside [lo, hi].
std::optional<std::int64_t> TextToInteger(std::wstring_view text, std::int64_t lo, std::int64_t hi);

// True or False in any letter case, or any number (0 is false).
std::optional<bool> TextToBoolean(std::wstring_view text);

// "True" / "False", as the on-top and hold flags are written.
std::wstring BooleanWord(bool value);
// "1" / "0", as the part flags are written.
std::wstring PartFlagText(bool visible);
// The correction angle as the user reads it: "." always, up to 15 significant
// digits, no exponent, no trailing zeros, no point for a whole number (30, 1.5,
// -2.25).
std::wstring AngleText(double degrees);
// The correction angle as stored: a blank before a value of 0 or more, a minus
// sign before a negative one, up to 15 significant digits, "." always. Reads
// back (TextToDouble) for every finite value, exactly so once written and read.
std::wstring AngleStoreText(double degrees);

// A window edge in twips as a stored position: the nearest whole twip, halves
// to even, in 32 bits. An edge that is not such a number (never seen on a real
// screen) keeps `current`.
std::int32_t PositionFromEdge(float edge, std::int32_t current);

// A serial port's name: "COM" and a number from 1 to 256 without leading
// zeros, in any letter case, blanks around it allowed; given back as "COMn".
// Nothing for anything else.
std::optional<std::wstring> PortName(std::wstring_view text);
// The reader's port as stored: its PortName, or "COM2" for anything else,
// empty text included.
std::wstring ReaderPortName(std::wstring_view stored);

// Key chords as stored: the modifiers in the order Ctrl, Alt, Shift, Win, then
// the key ("Ctrl+Alt+Shift+H"): a letter, a digit, F1 to F24, or a name
// ("Space", "Insert", "Num5", ";"). A chord without a key is "" (switched off).
std::wstring ChordText(Chord chord);
// The key's name; "" for a key without one (such a chord cannot be stored).
std::wstring KeyText(std::uint16_t key);
// Reads any letter case and the modifiers in any order, each once; "" is a
// switched-off chord; nothing for any other text.
std::optional<Chord> TextToChord(std::wstring_view text);

// The nudge's modifier sets, as its list offers them; 0 (none) switches it off.
inline constexpr std::array<std::uint8_t, 6> kNudgeModifiers{
    modifier::kCtrl | modifier::kAlt | modifier::kShift,
    modifier::kCtrl | modifier::kAlt,
    modifier::kCtrl | modifier::kShift,
    modifier::kAlt | modifier::kShift,
    modifier::kWin | modifier::kAlt,
    0,
};
// "Ctrl+Alt+Shift" (the order as for a chord); "" for none.
std::wstring ModifierText(std::uint8_t modifiers);
// One of kNudgeModifiers, in any order and letter case; "" is none; nothing
// for any other text.
std::optional<std::uint8_t> TextToNudgeModifiers(std::wstring_view text);

}  // namespace rc::settings
