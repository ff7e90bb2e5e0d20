// What a new frame changed against the one the screen shows, so that only that goes out.
//
// The frame is cut into bands of bandRows rows and blocks of blockPixels pixels. A block that
// differs anywhere from the shown frame is copied into it whole, and each run of such blocks in a
// band becomes one rectangle (stacked with the same run of the band above where they line up).
// The sky is black and still, so a frame's changes are the twinkling stars' marks and the
// globe's old and new place: a few hundred small rectangles instead of the whole screen.
#pragma once

#include <cstdint>

#include <SDL_rect.h>

#include "display/display.h"

constexpr std::int32_t bandRows = 8;
constexpr std::int32_t blockPixels = 32;
// The X protocol's widest window; wider frames are not looked at.
constexpr std::int32_t widestFrame = 32768;

// Room for the rectangles of the worst frame of this size (every other block changed).
std::int32_t MostChangedRects(std::int32_t width, std::int32_t height);

// The number of blocks of a frame of this size.
std::int32_t FrameBlocks(std::int32_t width, std::int32_t height);

// Marks in candidates (FrameBlocks flags, band by band, left to right) every block that the
// places touch, clipped to the frame.
void MarkCandidateBlocks(const ChangedPlaces& places, std::int32_t width, std::int32_t height, bool* candidates);

// Brings the shown frame (4 bytes a pixel, like the composed one) up to the composed frame, and
// fills rects with where they differed. Returns the number of rectangles; 0 when nothing changed.
// Where candidates is given (FrameBlocks flags, band by band, left to right), only the blocks it
// marks are looked at: the caller knows that the others have not changed.
std::int32_t CopyChangedBlocks(const std::uint8_t* composed, std::int32_t composedPitch, std::uint8_t* shown,
                               std::int32_t shownPitch, std::int32_t width, std::int32_t height, SDL_Rect* rects,
                               const bool* candidates = nullptr);

// Fills rects with the blocks that candidates marks (all of them where it is null), as
// CopyChangedBlocks would for those blocks had they all changed, without comparing or copying
// anything: for a window whose surface the renderer draws into. Returns the number of rectangles.
std::int32_t CandidateRects(std::int32_t width, std::int32_t height, const bool* candidates, SDL_Rect* rects);
