#pragma once
// Replacing a file's content so that it stays the same file: its other names
// (hard links), owner, group, permissions and extended attributes, and the
// folder it lives in, see the new content and nothing else changes. Either
// the whole new content is on disk when success is reported, or the old
// content is.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <functional>
#include <sys/types.h>

// Takes the blocks of a file's new content in order; false when a block could
// not be written.
using ByteSink = std::function<bool(QByteArrayView block)>;
// Hands the whole new content, block by block, to the sink it is given;
// false to give up.
using ByteProducer = std::function<bool(const ByteSink& sink)>;

// Told how far a long write has got, `done` of `total`, after each step;
// false to stop it.
using WriteProgress = std::function<bool(int64_t done, int64_t total)>;

// The progress of a write that goes through stages: each stage takes a
// stretch of the whole and reports its own `done` of `total` as the part of
// that stretch, to the WriteProgress it was made with (as millionths of the
// whole). Once that has said stop, every report says stop.
class ProgressStages {
 public:
  static constexpr int64_t kWhole = 1'000'000;
  explicit ProgressStages(WriteProgress report) : report_(std::move(report)) {}

  // Later stages share the stretch [from, to) of the present one; Stage
  // positions are then given within it.
  void Narrow(int64_t from, int64_t to);
  // The next reports cover [from, to) (of kWhole, within the narrowed stretch).
  void Stage(int64_t from, int64_t to);
  // `done` of `total` of the present stage; false to stop.
  bool Report(int64_t done, int64_t total);
  bool Stopped() const { return stopped_; }
  // While a step that must finish runs (a sync that has begun, old content
  // being put back after a stop): lets the listener turn; its answer no
  // longer counts.
  void Keep() {
    if (report_) report_(from_, kWhole);
  }
  // Whether anyone listens: without, steps need not be cut small.
  bool Listened() const { return bool(report_); }

 private:
  int64_t Map(int64_t at) const { return base_ + at * (end_ - base_) / kWhole; }
  WriteProgress report_;
  int64_t base_ = 0, end_ = kWhole;   // the narrowed stretch
  int64_t from_ = 0, to_ = kWhole;    // the present stage, on the whole's scale
  bool stopped_ = false;
};

// Replaces the content of the regular file `file` (a path that is not a
// symbolic link) with the bytes `produce` gives, or creates the file when it
// does not exist.
//
// Where a new file put in its place would be the same file to everyone (one
// link, owner and group that can be kept, no extended attributes, a folder
// that takes a new file), the bytes go to a temporary file beside it, which
// is synced and renamed over it. Otherwise the existing file is written in
// place, with its old content read first and written back if any step fails.
// False when the content could not be replaced; the file then holds its old
// content. A folder, a device or a pipe is never written. The content comes
// in blocks: on the rename path the blocks go straight into the temporary
// file; an in-place write gathers them first, so that the new content is
// complete before the file is touched.
//
// With `progress`, the producer reports its own progress through it (the
// stage set for production), and the write tells the steps after the last
// block; the final sync, and the rename that may free a large old file, run
// on a thread of their own meanwhile. A stop before the new content is in
// place leaves the old content: the temporary file is removed, an in-place
// write puts the old bytes back; a stop asked for during the final sync takes
// effect once the sync has ended; once the rename has begun it is finished.
bool ReplaceFileContent(const QString& file, const ByteProducer& produce,
                        ProgressStages* progress = nullptr);

// The permissions a file created now gets: all but those the umask takes away.
mode_t NewFileMode();
