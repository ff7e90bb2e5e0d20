#include "tests/support/recording_seam.h"

#include "scene/platform_seam.h"

namespace {
std::int64_t testClock = 0;
std::vector<std::string> messages;
}  // namespace

void SetTestClock(std::int64_t seconds) { testClock = seconds; }
const std::vector<std::string>& RecordedMessages() { return messages; }
void ClearRecordedMessages() { messages.clear(); }

void ShowUserMessage(const char* text) { messages.emplace_back(text); }
std::int64_t ReadClockSeconds() { return testClock; }
