// The Linux saver's side of the engine's platform seam (scene/platform_seam.h).
#pragma once

// Whether failure texts also go into a message box. Off until SDL has a display, and off in a
// window we were given: a hack creates no window of its own, and xscreensaver shows its stderr.
void ShowMessagesInBoxes(bool shown);
