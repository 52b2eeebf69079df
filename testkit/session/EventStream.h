#pragma once
// The byte stream an editor session plays. Each event is an operation byte
// (taken modulo the number of operations) followed by the bytes its operation
// reads; a stream that ends inside an event reads zeros.
//
// Stored inputs (the fuzz corpus) depend on this format. Keys are named by
// their virtual-key code (KeyboardKeys.h), not by their place in a table, so a
// key added to the keyboard changes only the bytes that named no key before.
// Operations and menu items are taken modulo their count: never renumber
// one, and know that a new one at the end changes what the bytes from the old
// count on meant.

#include <cstddef>
#include <cstdint>

namespace editor_session {

enum Op : uint8_t {
  kKey,          // virtual-key code byte, modifier byte (KeyBits)
  kChar,         // character byte
  kInputMethod,  // kind byte
  kMousePress,   // button byte, x byte, y byte
  kMouseMove,    // x byte, y byte
  kMouseRelease, // button byte, x byte, y byte
  kFileMenu,     // item byte (FileItem), choice byte (the dialog's answer)
  kEditMenu,     // item byte (EditItem)
  kWindowMenu,   // (none): move-left
  kClose,        // window byte
  kActivate,     // window byte
  kAnswer,       // answer byte: the next question's answer
  kProbe,        // (none): the line-probe key of the soft keyboard
  kViewMenu,     // item byte
  kOpCount
};

// Items of the File and Edit menus, in menu order (the item byte modulo the count).
enum FileItem : uint8_t { kOpen, kNew, kSave, kSaveAs, kPrint, kPrintTwo, kFileItemCount };
enum EditItem : uint8_t { kUndo, kRedo, kCut, kCopy, kPaste, kEditItemCount };

// The modifier byte of a key event.
enum KeyBits : uint8_t { kShiftBit = 1, kControlBit = 2, kAutoRepeatBit = 4 };

// Reads a stream byte by byte.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
  bool AtEnd() const { return at_ >= size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

}  // namespace editor_session
