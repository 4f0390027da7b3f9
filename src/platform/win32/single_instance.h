#pragma once
// One running copy per session: a second start hands over to the first and ends.

#include "platform/win32/handles.h"

namespace rc::win32 {

// Claims the session's copy of the program; held for the whole run (the process
// end releases it). Made before anything else, so that a second start touches
// neither the settings nor the port nor the tray.
class SessionInstance {
 public:
  SessionInstance();
  // Another copy holds the claim. A claim that could not be made at all counts
  // as first: the program must not refuse to start over it.
  bool another_runs() const { return another_runs_; }

 private:
  OwnedEvent mutex_;
  bool another_runs_ = false;
};

// Asks the running copy to show its centre handle, as a double-click on its
// icon does. Waits a little for its start-up window, which a copy that has only
// just started may not have made yet. False when no running copy was found.
bool ShowRunningCopy();

}  // namespace rc::win32
