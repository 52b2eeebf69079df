#include "files/Cp932.h"

#include <QChar>
#include <QtGlobal>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <algorithm>

namespace {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr char kUtf16[] = "UTF-16LE";
#else
constexpr char kUtf16[] = "UTF-16BE";
#endif
constexpr char kCp932[] = "CP932";

// Bytes that are not a character are kept as the lone surrogates
// U+DC80..U+DCFF; a byte below 0x80 is always a character of its own.
constexpr char16_t kEscapeBase = 0xDC00;
char16_t Escape(uchar byte) { return byte < 0x80 ? byte : char16_t(kEscapeBase + byte); }

// A byte that starts a two-byte character.
bool IsLeadByte(uchar b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// One iconv descriptor, opened on first use and closed with its owner.
class Converter {
 public:
  Converter(const char* to, const char* from) : to_(to), from_(from) {}
  ~Converter() {
    if (Ready()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Open() {
    if (!tried_) {
      tried_ = true;
      cd_ = iconv_open(to_, from_);
    }
    return Ready();
  }

  struct Result {
    size_t consumed = 0;  // input bytes converted
    size_t produced = 0;  // output bytes written
    int error = 0;        // errno of the stop, 0 when all input was converted
  };

  // Converts from a clean state as much of the input as it can.
  Result Run(const void* in, size_t inBytes, void* out, size_t outBytes) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* ip = const_cast<char*>(static_cast<const char*>(in));
    char* op = static_cast<char*>(out);
    size_t inLeft = inBytes;
    size_t outLeft = outBytes;
    const size_t r = iconv(cd_, &ip, &inLeft, &op, &outLeft);
    return {inBytes - inLeft, outBytes - outLeft, r == static_cast<size_t>(-1) ? errno : 0};
  }

 private:
  bool Ready() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  const char* to_;
  const char* from_;
  bool tried_ = false;
  iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
};

// Decodes the non-ASCII stretches of one input. Each character it emits
// encodes back to exactly the bytes it came from; everything else is escaped.
class StretchDecoder {
 public:
  // Decodes [s, s + len) into out, which has room for len code units (no byte
  // gives more than one). Returns the number of code units written.
  qsizetype Decode(const uchar* s, qsizetype len, char16_t* out) {
    if (!toText_.Open() || !toBytes_.Open()) {
      for (qsizetype k = 0; k < len; ++k) out[k] = Escape(s[k]);
      return len;
    }
    qsizetype pos = 0;
    qsizetype w = 0;
    while (pos < len) {
      const auto r = toText_.Run(s + pos, size_t(len - pos), out + w, size_t(len - pos) * 2);
      if (r.consumed > 0) {
        const qsizetype units = qsizetype(r.produced / 2);
        if (Reencodes(out + w, units, s + pos, r.consumed)) {
          w += units;
        } else {
          w += OneByOne(s + pos, qsizetype(r.consumed), out + w);
        }
        pos += qsizetype(r.consumed);
      }
      // iconv stops at an invalid byte (EILSEQ) or at a lead byte that ends the
      // input (EINVAL): that byte is kept as it is and decoding goes on after it.
      const bool stuck = r.error != 0 && (r.error != E2BIG || r.consumed == 0);
      if (stuck && pos < len) out[w++] = Escape(s[pos++]);
    }
    return w;
  }

 private:
  // Whether the characters re-encode to exactly the bytes they were read from.
  bool Reencodes(const char16_t* chars, qsizetype count, const uchar* bytes, size_t byteCount) {
    const qsizetype room = count * 2 + 8;
    if (check_.size() < room) check_.resize(room);
    const auto r = toBytes_.Run(chars, size_t(count) * 2, check_.data(), size_t(room));
    return r.error == 0 && r.produced == byteCount && std::memcmp(check_.constData(), bytes, byteCount) == 0;
  }

  // Decodes valid CP932 bytes one character at a time, escaping the bytes of
  // each character whose bytes are not its own encoding (the NEC and IBM
  // duplicates).
  qsizetype OneByOne(const uchar* s, qsizetype len, char16_t* out) {
    qsizetype pos = 0;
    qsizetype w = 0;
    while (pos < len) {
      char16_t c = 0;
      const auto r = toText_.Run(s + pos, size_t(len - pos), &c, sizeof c);
      if (r.produced != sizeof c || r.consumed == 0) {
        out[w++] = Escape(s[pos++]);
        continue;
      }
      if (Reencodes(&c, 1, s + pos, r.consumed)) {
        out[w++] = c;
      } else {
        for (size_t k = 0; k < r.consumed; ++k) out[w++] = Escape(s[pos + qsizetype(k)]);
      }
      pos += qsizetype(r.consumed);
    }
    return w;
  }

  Converter toText_{kUtf16, kCp932};
  Converter toBytes_{kCp932, kUtf16};
  QByteArray check_;
};

}  // namespace

struct Cp932Decoder::Stretches : StretchDecoder {};

Cp932Decoder::Cp932Decoder() = default;
Cp932Decoder::~Cp932Decoder() = default;

qsizetype Cp932Decoder::decodeStretch(const char* bytes, qsizetype n, char16_t* out,
                                      qsizetype& written) {
  const uchar* s = reinterpret_cast<const uchar*>(bytes);
  // The stretch runs to the first ASCII byte that is not the second byte of a
  // two-byte character.
  qsizetype j = 0;
  while (j < n && s[j] >= 0x80) j += IsLeadByte(s[j]) ? 2 : 1;
  if (j > n) j = n;
  // Only text with non-ASCII bytes needs iconv.
  if (!stretches_) stretches_ = std::make_unique<Stretches>();
  written = stretches_->Decode(s, j, out);
  return j;
}

struct Cp932Encoder::Converter : ::Converter {
  Converter() : ::Converter(kCp932, kUtf16) {}
};

Cp932Encoder::Cp932Encoder() = default;
Cp932Encoder::~Cp932Encoder() = default;

qsizetype Cp932Encoder::encode(QStringView text, QByteArray& out) {
  const qsizetype n = text.size();
  const char16_t* s = text.utf16();

  // Every character left gives at least one byte; `out` always has room for
  // one byte per character left beyond what is written.
  qsizetype w = out.size();
  out.resize(w + n);
  qsizetype i = 0;
  while (i < n) {
    char* o = out.data();
    while (i < n && s[i] < 0x80) o[w++] = char(s[i++]);
    if (i == n) break;
    if (IsEscapedByte(s[i])) {
      o[w++] = char(s[i++] - kEscapeBase);
      continue;
    }
    // A stretch of other characters, surrogate pairs kept whole. A lone
    // surrogate that is not an escaped byte ends it and fails the text, unless
    // a character before it fails first.
    qsizetype j = i;
    qsizetype loneSurrogate = -1;
    while (j < n && s[j] >= 0x80 && !IsEscapedByte(s[j])) {
      if (QChar::isHighSurrogate(s[j]) && j + 1 < n && QChar::isLowSurrogate(s[j + 1])) {
        j += 2;
      } else if (QChar::isSurrogate(s[j])) {
        loneSurrogate = j;
        break;
      } else {
        ++j;
      }
    }
    if (j > i) {
      const qsizetype needed = w + 2 * (j - i) + (n - j);
      if (needed > out.size()) out.resize(std::max(needed, out.size() + out.size() / 2));
      if (!converter_) converter_ = std::make_unique<Converter>();
      if (!converter_->Open()) return i;
      const auto r = converter_->Run(s + i, size_t(j - i) * 2, out.data() + w, size_t(out.size() - w));
      if (r.error != 0) return i + qsizetype(r.consumed / 2);
      w += qsizetype(r.produced);
      i = j;
    }
    if (loneSurrogate >= 0) return loneSurrogate;
  }
  out.truncate(w);
  return -1;
}
