// The bank words the library tests file patches under: the instrument's
// first two user voice banks, its performance bank and the master bank.
#pragma once

inline constexpr unsigned short User1 = 0x3F08;
inline constexpr unsigned short User2 = 0x3F09;
inline constexpr unsigned short Perf = 0x3F40;
inline constexpr unsigned short Master = 0x7F7F;
