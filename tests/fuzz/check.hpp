// A failed invariant in a fuzz target: the text on stderr, then abort, which libFuzzer keeps
// as a crashing input.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void check(bool ok, const char* what) {
  if (ok) return;
  std::fputs(what, stderr);
  std::fputc('\n', stderr);
  std::abort();
}
