// Per-monitor awareness where the system has it (Windows 10 1703 on), else the system-wide kind.
// Asked for by name so that the module still starts where the newer call does not exist.
#include "shell/windows/dpi_awareness.h"

#include <windows.h>

namespace {
using SetAwarenessContext = BOOL(WINAPI*)(HANDLE context);
const HANDLE perMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
}  // namespace

void BecomeDpiAware() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto setContext = user32 != nullptr ? reinterpret_cast<SetAwarenessContext>(reinterpret_cast<void*>(
                                                    GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                                              : nullptr;
    if (setContext != nullptr && setContext(perMonitorAwareV2)) return;
    SetProcessDPIAware();
}
