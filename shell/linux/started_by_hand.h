// Whether a person is at the screen when a full-screen run starts: only then may a failure wait
// in a message box for someone to press OK. An idle daemon (swayidle, xss-lock, xautolock)
// starts the saver after minutes without input, and nobody would ever press it.
#pragma once

// True when the run starts outside a Wayland session and the X server has seen input within
// the last two seconds (a command typed, a launcher clicked). Under Wayland the X server's idle
// time says nothing about the session's input, so no run there counts as started by hand.
bool StartedByHand();
