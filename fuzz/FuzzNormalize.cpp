// The normaliser's result is a fixed point, and it drops nothing but spaces
// and CR LF pairs: take away what it adds (spaces, the CR LF after each ";")
// and what it may drop, and both sides agree up to upper case.

#include "FuzzInput.h"
#include "testkit/NormalizeOracle.h"
#include "text/ProgramText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;  // the reference strip is quadratic
  const QString text = FuzzText(data, size);
  const QString once = NormalizeProgramText(text);
  FuzzCheck(NormalizeProgramText(once) == once, "normalising twice equals once");

  FuzzCheck(WithoutNormalizerAdditions(once) == NormalizerCore(text),
            "only spaces and CR LF pairs dropped");
  return 0;
}
