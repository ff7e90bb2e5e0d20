// The project's version, one for every program and package (CMake's project() gives it), and
// what --version says after it, in the GNU form: name and version on the first line.
#pragma once

constexpr const char* productVersion = QUILLOMANTRASE_VERSION;

constexpr const char* versionNotice =
    "Copyright 2026 The Quillomantrase developers; the code is under the MIT licence.\n"
    "Earth imagery courtesy of NASA (Visible Earth, \"Blue Marble\"), public domain.\n";
