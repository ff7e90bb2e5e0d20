// The engine's platform seam for tests: messages are recorded instead of shown, and the clock
// is whatever the test sets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

void SetTestClock(std::int64_t seconds);
const std::vector<std::string>& RecordedMessages();
void ClearRecordedMessages();
