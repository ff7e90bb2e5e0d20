// The output name is formatted here, not by printf: only one %d field (with an optional zero
// flag and a width) and %% are accepted, so a name can never make printf read arguments that
// are not there; the field is filled in as printf would fill it.
#include "shell/render_tool/render_arguments.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

const char* const renderUsage =
    "usage: quillomantrase-render --size WxH [--time T] --frames N [--pitch BYTES] [--map FILE.bmp]\n"
    "                             [--every K] --output FILE.png\n"
    "       quillomantrase-render --help | --version\n"
    "  --size WxH     the screen to render for, 5x8 to 16384x16384 pixels (a frame of at most 1 GiB)\n"
    "  --time T       the clock value (seconds) that seeds the stars; default: now, printed\n"
    "  --frames N     how many frame ticks to run, 1 to 100000000; the frame of tick N is written\n"
    "  --pitch BYTES  bytes from one frame row to the next, at least 4 x W (default 4 x W)\n"
    "  --map FILE     a 24-bit uncompressed BMP at most 1000 pixels wide instead of the built-in map\n"
    "  --every K      with a frame-number field in --output, also write every K-th tick's frame\n"
    "  --output FILE  the PNG to write; an existing regular file is replaced, nothing else is;\n"
    "                 may hold one frame-number field as printf writes it: %d, %Nd (blanks) or\n"
    "                 %0Nd (zeros) with N from 1 to 20, and %% for a percent sign\n"
    "  --help, -h     this text\n"
    "  --version      the version\n";

namespace {

constexpr std::int32_t largestSide = 16384;
constexpr std::size_t widestField = 20;
constexpr const char* fieldRule =
    "--output may hold one frame-number field (%d, %Nd or %0Nd, N from 1 to 20) and %% for a percent sign";

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

struct FrameField {
    bool found = false;
    bool malformed = false;  // a % that starts anything else, or a second field
    std::size_t start = 0;
    std::size_t length = 0;  // from the % to the d
    bool zeroPad = false;
    std::size_t width = 0;
};

FrameField FindFrameField(const std::string& output) {
    FrameField field;
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (output[i] != '%') continue;
        if (i + 1 < output.size() && output[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        const bool zeroPad = j < output.size() && output[j] == '0';
        if (zeroPad) ++j;
        std::size_t width = 0;
        const std::size_t digitsStart = j;
        while (j < output.size() && output[j] >= '0' && output[j] <= '9' && j - digitsStart < 2)
            width = width * 10 + static_cast<std::size_t>(output[j++] - '0');
        if (field.found || j >= output.size() || output[j] != 'd' || width > widestField) {
            field.malformed = true;
            return field;
        }
        field = {true, false, i, j + 1 - i, zeroPad, width};
        i = j;
    }
    return field;
}

}  // namespace

std::string FrameFileName(const std::string& output, std::int32_t tick) {
    const FrameField field = FindFrameField(output);
    std::string number = std::to_string(tick);
    if (number.size() < field.width) number.insert(0, field.width - number.size(), field.zeroPad ? '0' : ' ');
    std::string name;
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (field.found && i == field.start) {
            name += number;
            i += field.length - 1;
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
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            request->helpWanted = true;
            return nullptr;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            request->versionWanted = true;
            return nullptr;
        }
    }
    bool sizeGiven = false, framesGiven = false, outputGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        static const char* const known[] = {"--size", "--time", "--frames", "--pitch", "--map", "--every", "--output"};
        bool isKnown = false;
        for (const char* name : known) isKnown = isKnown || option == name;
        if (!isKnown) {
            *problem = "unknown option " + option;
            return problem->c_str();
        }
        if (i + 1 == argc) {
            *problem = option + " needs a value";
            return problem->c_str();
        }
        const char* value = argv[++i];
        std::int64_t number = 0;
        if (option == "--size") {
            if (!ParseSize(value, request)) return "--size wants WxH, from 5x8 to 16384x16384";
            sizeGiven = true;
        } else if (option == "--time") {
            if (!ParseInteger(value, INT64_MIN, INT64_MAX, &number)) return "--time wants a whole number of seconds";
            request->time = number;
            request->timeGiven = true;
        } else if (option == "--frames") {
            if (!ParseInteger(value, 1, 100000000, &number)) return "--frames wants a count from 1 to 100000000";
            request->frames = static_cast<std::int32_t>(number);
            framesGiven = true;
        } else if (option == "--pitch") {
            if (!ParseInteger(value, 1, INT32_MAX, &number)) return "--pitch wants a byte count";
            request->pitch = static_cast<std::int32_t>(number);
        } else if (option == "--map") {
            request->mapPath = value;
        } else if (option == "--every") {
            if (!ParseInteger(value, 1, 100000000, &number)) return "--every wants a count from 1 to 100000000";
            request->every = static_cast<std::int32_t>(number);
        } else {
            request->output = value;
            outputGiven = !request->output.empty();
        }
    }
    std::vector<const char*> missing;
    if (!sizeGiven) missing.push_back("--size");
    if (!framesGiven) missing.push_back("--frames");
    if (!outputGiven) missing.push_back("--output");
    if (!missing.empty()) {
        for (std::size_t k = 0; k < missing.size(); ++k)
            *problem += std::string(k == 0 ? "" : k + 1 == missing.size() ? " and " : ", ") + missing[k];
        *problem += missing.size() == 1 ? " is needed" : " are needed";
        return problem->c_str();
    }
    if (request->pitch != 0 && request->pitch < std::int64_t{4} * request->width)
        return "--pitch must be at least 4 x the width";
    if (std::int64_t{request->pitch == 0 ? 4 * request->width : request->pitch} * request->height > (std::int64_t{1} << 30))
        return "the frame would be larger than 1 GiB";
    const FrameField field = FindFrameField(request->output);
    if (field.malformed) return fieldRule;
    if (request->every != 0 && !field.found) return "--every needs a frame-number field such as %05d in --output";
    return nullptr;
}
