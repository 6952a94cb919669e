#pragma once

// Exact totals and decimals need whole numbers wider than 64 bits. GCC and Clang have them;
// a compiler without is refused here, at the first file that needs them, rather than
// promised a program it cannot build.
#if !defined(__SIZEOF_INT128__)
#error "Purvex needs a compiler with a 128-bit integer type (__int128), such as GCC or Clang."
#endif

__extension__ using Int128 = __int128;
__extension__ using UInt128 = unsigned __int128;
