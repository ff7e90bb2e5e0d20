// The output name is formatted here, not by printf: only one %d-style field (with an optional
// zero flag and width) and %% are accepted, so a name can never make printf read arguments that
// are not there.
#include "shell/render_tool/render_arguments.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const renderUsage =
    "usage: quillomantrase-render --size WxH [--time T] --frames N [--pitch BYTES] [--map FILE.bmp]\n"
    "                             [--every K] --output FILE.png\n"
    "  --size WxH     the screen to render for, 5x8 to 16384x16384 pixels\n"
    "  --time T       the clock value (seconds) that seeds the stars; default: now, printed\n"
    "  --frames N     how many frame ticks to run; the frame of tick N is written\n"
    "  --pitch BYTES  bytes from one frame row to the next, at least 4 x W (default 4 x W)\n"
    "  --map FILE     a 24-bit BMP map instead of the built-in one\n"
    "  --every K      with a frame-number field in --output, also write every K-th tick's frame\n"
    "  --output FILE  the PNG to write; may hold one field such as %05d for the tick number\n";

namespace {

constexpr std::int32_t largestSide = 16384;

bool ParseInteger(const char* text, std::int64_t lowest, std::int64_t highest, std::int64_t* value) {
    if (text == nullptr || *text == '\0') return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < lowest || parsed > highest) return false;
    *value = parsed;
    return true;
}

bool ParseSize(const char* text, RenderRequest* request) {
    const char* cross = text == nullptr ? nullptr : std::strchr(text, 'x');
    if (cross == nullptr) return false;
    const std::string widthText(text, cross);
    std::int64_t width = 0, height = 0;
    if (!ParseInteger(widthText.c_str(), 5, largestSide, &width) || !ParseInteger(cross + 1, 8, largestSide, &height))
        return false;
    request->width = static_cast<std::int32_t>(width);
    request->height = static_cast<std::int32_t>(height);
    return true;
}

// Finds the one frame-number field: returns its position and length, or false when there is
// none; sets *malformed when a % introduces anything else.
bool FindFrameField(const std::string& output, std::size_t* start, std::size_t* length, bool* malformed) {
    bool found = false;
    *malformed = false;
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (output[i] != '%') continue;
        if (i + 1 < output.size() && output[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < output.size() && j - i <= 3 && output[j] >= '0' && output[j] <= '9') ++j;
        if (found || j >= output.size() || output[j] != 'd') {
            *malformed = true;
            return false;
        }
        found = true;
        *start = i;
        *length = j + 1 - i;
        i = j;
    }
    return found;
}

}  // namespace

bool OutputHasFrameField(const std::string& output) {
    std::size_t start = 0, length = 0;
    bool malformed = false;
    return FindFrameField(output, &start, &length, &malformed);
}

std::string FrameFileName(const std::string& output, std::int32_t tick) {
    std::size_t start = 0, length = 0;
    bool malformed = false;
    const bool hasField = FindFrameField(output, &start, &length, &malformed);
    std::string number = std::to_string(tick);
    if (hasField) {
        const std::string field = output.substr(start + 1, length - 2);
        const bool zeroPad = !field.empty() && field[0] == '0';
        const std::size_t width = field.empty() ? 0 : static_cast<std::size_t>(std::atoi(field.c_str()));
        if (number.size() < width) number.insert(0, width - number.size(), zeroPad ? '0' : ' ');
    }
    std::string name;
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (hasField && i == start) {
            name += number;
            i += length - 1;
        } else if (output[i] == '%' && i + 1 < output.size() && output[i + 1] == '%') {
            name += '%';
            ++i;
        } else {
            name += output[i];
        }
    }
    return name;
}

const char* ParseRenderArguments(int argc, const char* const* argv, RenderRequest* request, std::string* problem) {
    bool sizeGiven = false, framesGiven = false, outputGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        std::int64_t number = 0;
        if (value == nullptr) {
            *problem = option + " needs a value, or is not an option";
            return problem->c_str();
        }
        ++i;
        if (option == "--size") {
            if (!ParseSize(value, request)) return "--size wants WxH, from 5x8 to 16384x16384";
            sizeGiven = true;
        } else if (option == "--time") {
            if (!ParseInteger(value, INT64_MIN, INT64_MAX, &number)) return "--time wants a whole number of seconds";
            request->time = number;
            request->timeGiven = true;
        } else if (option == "--frames") {
            if (!ParseInteger(value, 1, 100000000, &number)) return "--frames wants a count from 1";
            request->frames = static_cast<std::int32_t>(number);
            framesGiven = true;
        } else if (option == "--pitch") {
            if (!ParseInteger(value, 1, INT32_MAX, &number)) return "--pitch wants a byte count";
            request->pitch = static_cast<std::int32_t>(number);
        } else if (option == "--map") {
            request->mapPath = value;
        } else if (option == "--every") {
            if (!ParseInteger(value, 1, 100000000, &number)) return "--every wants a count from 1";
            request->every = static_cast<std::int32_t>(number);
        } else if (option == "--output") {
            request->output = value;
            outputGiven = !request->output.empty();
        } else {
            *problem = "unknown option " + option;
            return problem->c_str();
        }
    }
    if (!sizeGiven || !framesGiven || !outputGiven) return "--size, --frames and --output are needed";
    if (request->pitch != 0 && request->pitch < std::int64_t{4} * request->width)
        return "--pitch must be at least 4 x the width";
    if (std::int64_t{request->pitch == 0 ? 4 * request->width : request->pitch} * request->height > (std::int64_t{1} << 30))
        return "the frame would be larger than 1 GiB";
    std::size_t start = 0, length = 0;
    bool malformed = false;
    const bool hasField = FindFrameField(request->output, &start, &length, &malformed);
    if (malformed) return "--output may hold one frame-number field such as %05d, and %% for a percent sign";
    if (request->every != 0 && !hasField) return "--every needs a frame-number field such as %05d in --output";
    return nullptr;
}
