// Made-up desktops for the covers of the other monitors: three monitors, monitors above, below
// and left of the primary, monitors that come and go during a run. Until a test lays one out the
// desktop has no monitors at all, and a run makes no covers.
#pragma once

#include <vector>

#include "shell/windows/monitor_list.h"

void UseFakeMonitors(const std::vector<MonitorArea>& monitors);
