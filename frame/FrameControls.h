#pragma once
// Re-enables the frame's controls when a file command's scope ends, on every
// path out of it, and then sets the menu items as their menus would offer
// them, so that none stands enabled where its command may not run. Declare it
// after the command's DrawingLockGuard, so that the controls come back first
// and drawing is unlocked last.

#include "frame/MDIForm1.h"

class EnableFrameControlsOnExit {
 public:
  explicit EnableFrameControlsOnExit(MDIForm1& frame) : frame_(frame) {}
  ~EnableFrameControlsOnExit() {
    frame_.EnableFrameControls();
    frame_.RefreshMenus();
  }
  EnableFrameControlsOnExit(const EnableFrameControlsOnExit&) = delete;
  EnableFrameControlsOnExit& operator=(const EnableFrameControlsOnExit&) = delete;

 private:
  MDIForm1& frame_;
};
