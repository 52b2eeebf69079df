#pragma once
// The writer's transformation of one ASCII character, shared by the writers of
// a whole string and of a document store.

#include <QtGlobal>

// The file form of ASCII character `c`, written at `out`: upper-cased; returns
// how far the output advances (0 for a space or ";", which are dropped).
// Branch-free, so that the long ASCII stretches of a program go fast.
template <typename Out, typename C>
inline qsizetype PutAscii(Out* out, C c) {
  *out = static_cast<Out>(c - (char16_t(c - u'a') < 26 ? 0x20 : 0));
  return (c != C(' ')) & (c != C(';'));
}
