// What both PNG encoders share: the row conversion, the checks of what stands at an output
// path, and the write-then-rename. The temporary file is created exclusively, so that nothing
// that already stands under its name (a link above all) is ever written through.
#include "shell/render_tool/png_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "shell/render_tool/png_encoder.h"

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
int CreateExclusively(const std::string& path) {
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
std::FILE* StreamOf(int descriptor) { return _fdopen(descriptor, "wb"); }
void CloseDescriptor(int descriptor) { _close(descriptor); }
bool MoveIntoPlace(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
#else
int CreateExclusively(const std::string& path) { return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666); }
std::FILE* StreamOf(int descriptor) { return fdopen(descriptor, "wb"); }
void CloseDescriptor(int descriptor) { close(descriptor); }
// rename replaces a regular file in one step; no moment without the old file or the new one.
bool MoveIntoPlace(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
#endif

const char* Refuse(const std::string& path, const std::string& why, std::string* problem) {
    *problem = "cannot write " + path + ": " + why;
    return problem->c_str();
}

// Why a PNG must not be written at the path, in words; empty when there is nothing there or a
// regular file.
std::string NotReplaceable(const std::string& path) {
    std::error_code code;
    const fs::file_status status = fs::symlink_status(path, code);
    const char* what = nullptr;
    switch (status.type()) {
    case fs::file_type::not_found:
    case fs::file_type::regular:
        return {};
    case fs::file_type::none:
        return code.message();
    case fs::file_type::directory:
        what = "a folder";
        break;
    case fs::file_type::symlink:
        what = "a symbolic link";
        break;
    case fs::file_type::block:
    case fs::file_type::character:
        what = "a device";
        break;
    case fs::file_type::fifo:
        what = "a FIFO (a named pipe)";
        break;
    case fs::file_type::socket:
        what = "a socket";
        break;
    default:
        what = "something else";
        break;
    }
    return std::string("it is ") + what + ", not a regular file, and only a regular file is replaced";
}

// Opens path + ".partial" for writing, created afresh; a regular file left there by a run that
// was cut short is removed first. Null when it cannot be, with *why saying so.
std::FILE* CreatePartial(const std::string& partial, std::string* why) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int descriptor = CreateExclusively(partial);
        if (descriptor >= 0) {
            std::FILE* file = StreamOf(descriptor);
            if (file == nullptr) CloseDescriptor(descriptor);
            return file;
        }
        if (errno != EEXIST) break;
        const std::string standing = NotReplaceable(partial);
        if (!standing.empty()) {
            *why = "its temporary name " + partial + " is taken: " + standing;
            return nullptr;
        }
        std::remove(partial.c_str());
    }
    if (errno == ENOENT)
        *why = "the folder " + fs::path(partial).parent_path().string() + " does not exist";
    else
        *why = std::strerror(errno);
    return nullptr;
}

}  // namespace

void FrameRowToRgb(const LockedFrame& frame, std::int32_t width, std::int32_t y, std::uint8_t* rgb) {
    const std::uint8_t* pixel = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
    for (std::int32_t x = 0; x < width; ++x, pixel += 4, rgb += 3) {
        rgb[0] = pixel[2];
        rgb[1] = pixel[1];
        rgb[2] = pixel[0];
    }
}

const char* CheckOutputPath(const std::string& path, bool tryFolder, std::string* problem) {
    const std::string standing = NotReplaceable(path);
    if (!standing.empty()) return Refuse(path, standing, problem);
    if (!tryFolder) return nullptr;
    const std::string partial = path + ".partial";
    std::string why;
    std::FILE* trial = CreatePartial(partial, &why);
    if (trial == nullptr) return Refuse(path, why, problem);
    std::fclose(trial);
    std::remove(partial.c_str());
    return nullptr;
}

const char* WriteFramePng(const std::string& path, const LockedFrame& frame, std::int32_t width, std::int32_t height,
                          std::string* problem) {
    // Checked again here: the run may have taken long enough for the path to change.
    if (CheckOutputPath(path, false, problem) != nullptr) return problem->c_str();
    const std::string partial = path + ".partial";
    std::string why;
    std::FILE* file = CreatePartial(partial, &why);
    if (file == nullptr) return Refuse(path, why, problem);
    const bool encoded = EncodePng(file, frame, width, height);
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !closed) {
        std::remove(partial.c_str());
        return Refuse(path, "the disk refused the data", problem);
    }
    if (!MoveIntoPlace(partial, path)) {
        const std::string reason = std::strerror(errno);
        std::remove(partial.c_str());
        return Refuse(path, reason, problem);
    }
    return nullptr;
}
