// The screen saver's rules, shared by every shell: what ends a run and what a tick does.
//
// Each shell turns its own events (window messages on Windows, SDL events on Linux) into
// SaverInput values and feeds them here, so that the Windows module and the Linux saver end a run
// on exactly the same input and draw exactly the same frames.
#pragma once

#include <cstdint>

enum class SaverInput {
    keyPress,        // any key going down, system keys such as Alt included
    buttonPress,     // left, middle or right mouse button going down
    pointerMove,     // one mouse-move event
    foregroundLost,  // another program has taken the foreground from the run
    other,           // key and button releases, characters, wheel turns, everything else
};

enum class SaverVerdict {
    passOn,    // not ours: let the platform's default handling have it
    swallow,   // counted and consumed (one of the first three moves): no default handling
    endRun,    // the run ends: destroy the window / leave the loop
};

// Starts a run's counting afresh: the moves seen before (the start-up flush) never count.
void StartSaverRun();

// What the input means for the run. The fourth pointer move ends it; the first three are
// swallowed. A key press, a button press or the loss of the foreground ends it at once.
SaverVerdict JudgeSaverInput(SaverInput input);

// One timer tick: the next frame composed into the back buffer and presented.
void RunSaverTick();
