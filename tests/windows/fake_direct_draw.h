// A DirectDraw that fails where a test tells it to, loses its surfaces on demand and keeps a
// back buffer in plain memory. While it is not in use, CreateDirectDraw gives the real one.
#pragma once

#include <windows.h>

#include <cstdint>

enum class FailingStep {
    none,
    directDrawCreate,
    queryDirectDraw7,
    setCooperativeLevel,
    setDisplayMode,
    createSurface,
    getAttachedSurface,
    lock,
};

struct FakeDirectDrawScript {
    FailingStep failingStep = FailingStep::none;
    int extraReferences = 0;      // references someone else holds on the object
    int restoreFailures = 0;      // RestoreAllSurfaces fails this often before it succeeds
    int hollowRestores = 0;       // then reports success this often while the surfaces stay lost
    int keyPressAfterFlips = 0;   // the "user" presses a key after this many flips (0: never)
    int movesDuringSetUp = 0;     // mouse moves queued for the window while the mode is set
    bool activationDuringSetUp = false;  // the window loses and regains activation while the
                                         // exclusive mode and the display mode are taken
    int foregroundLostAfterFlips = 0;    // another program takes the foreground after this many
    bool quitDuringSetUp = false;        // the thread is asked to quit while the mode is set
    std::int32_t pitch = 0;       // the back buffer's pitch (0: four bytes a pixel)
};

// What the fake looks like from outside.
struct FakeDirectDrawState {
    bool objectAlive;        // the IDirectDraw7 still has references
    bool firstInterfaceAlive;
    int liveSurfaces;
    bool exclusive;          // cooperative level exclusive, not yet back to normal
    bool modeSet;            // the 32-bit mode is set and not yet restored
    bool backBufferLocked;
    DWORD modeWidth, modeHeight, modeDepth;
    DWORD lastDescriptionSize;  // dwSize of the last CreateSurface or Lock record
    int locks;               // Lock calls, successful or not
    int flips;               // successful flips
    int flipsWhileLocked;    // flips asked for while the back buffer was locked
    int restoreAttempts;
    std::int32_t width, height, pitch;
    std::uint8_t* backBufferPixels;
};

void UseFakeDirectDraw(const FakeDirectDrawScript& script);
void UseRealDirectDraw();
const FakeDirectDrawState& FakeDirectDraw();

// From now on Lock and Flip report the surfaces lost, as when another program takes the display.
void LoseFakeSurfaces();

// As when the system sets another mode during a run (a monitor resized, another made the
// primary): the surfaces are lost, and a chain made from now on has the new size.
void ChangeFakeDisplayMode(DWORD width, DWORD height);
