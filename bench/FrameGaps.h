#pragma once
// How long the frame goes without answering while a command runs: a timer
// that fires at every turn of the event loop notes the longest gap between
// turns from the call until the command returns (the gap after the last turn
// included).

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>

struct FrameGaps {
  double longestMs = 0;
  double lastMs = 0;  // from the last turn to the command's return
  int turns = 0;
};

inline FrameGaps MeasureFrameGaps(const std::function<void()>& command) {
  using Clock = std::chrono::steady_clock;
  FrameGaps gaps;
  Clock::time_point last = Clock::now();
  const auto gap = [&] {
    const Clock::time_point now = Clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - last).count();
    last = now;
    return ms;
  };
  QTimer timer;
  timer.setInterval(0);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    gaps.longestMs = std::max(gaps.longestMs, gap());
    ++gaps.turns;
  });
  timer.start();
  last = Clock::now();
  command();
  gaps.lastMs = gap();
  gaps.longestMs = std::max(gaps.longestMs, gaps.lastMs);
  return gaps;
}
