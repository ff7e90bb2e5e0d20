// The PNG files the renderer writes, read back with libpng: every pixel as the frame in memory
// held it (red, green and blue in their places, rows whole, nothing of the pitch's padding),
// for whichever encoder this test program was linked with; and a file that cannot be written
// leaves nothing behind.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "scene/frame_tick.h"
#include "shell/render_tool/png_file.h"
#include "tests/support/scene_fixture.h"

namespace fs = std::filesystem;

namespace {

struct DecodedPng {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // rows of width x 3 bytes
};

// Reads an 8-bit RGB PNG as it is stored, with no conversions asked for.
DecodedPng ReadPng(const std::string& path) {
    DecodedPng decoded;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return decoded;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_info(png, info);
        if (png_get_bit_depth(png, info) == 8 && png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB &&
            png_get_interlace_type(png, info) == PNG_INTERLACE_NONE) {
            const std::uint32_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
            std::vector<std::uint8_t> rgb(std::size_t(width) * 3 * height);
            for (std::uint32_t y = 0; y < height; ++y) png_read_row(png, rgb.data() + std::size_t(y) * width * 3, nullptr);
            png_read_end(png, nullptr);
            decoded = {width, height, std::move(rgb)};
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return decoded;
}

// The frame's pixels (blue, green, red, fourth) as the red, green, blue rows a PNG holds.
std::vector<std::uint8_t> FrameAsRgb(const LockedFrame& frame, std::int32_t width, std::int32_t height) {
    std::vector<std::uint8_t> rgb;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const Pixel p = PixelAt(frame, x, y);
            rgb.insert(rgb.end(), {p.red, p.green, p.blue});
        }
    return rgb;
}

class PngReadBack : public ::testing::Test {
protected:
    void SetUp() override {
        directory = fs::path(::testing::TempDir()) / ("png-" + std::to_string(::getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }
    std::string In(const std::string& name) const { return (directory / name).string(); }
    fs::path directory;
};

}  // namespace

// A frame whose three channels differ everywhere, with a padded pitch whose bytes must not show,
// and one large enough to need several stored deflate blocks.
TEST_F(PngReadBack, EveryPixelComesBackWithItsChannelsInPlace) {
    for (auto [width, height, pitch] : {std::tuple{1, 1, 8}, {13, 7, 13 * 4 + 12}, {301, 123, 301 * 4}}) {
        std::vector<std::uint8_t> bytes(std::size_t(pitch) * height, 0xA5);
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x) {
                std::uint8_t* p = bytes.data() + std::size_t(y) * pitch + 4 * x;
                p[0] = std::uint8_t(x * 7 + y), p[1] = std::uint8_t(x ^ (y * 3)), p[2] = std::uint8_t(255 - x - y * 5), p[3] = 0;
            }
        const LockedFrame frame{bytes.data(), pitch, false};
        std::string problem;
        ASSERT_EQ(WriteFramePng(In("frame.png"), frame, width, height, &problem), nullptr) << problem;
        EXPECT_FALSE(fs::exists(In("frame.png.partial")));
        const DecodedPng decoded = ReadPng(In("frame.png"));
        EXPECT_EQ(decoded.width, std::uint32_t(width));
        EXPECT_EQ(decoded.height, std::uint32_t(height));
        EXPECT_TRUE(decoded.rgb == FrameAsRgb(frame, width, height)) << width << "x" << height;
    }
}

TEST_F(PngReadBack, AFileThatCannotBeWrittenIsReportedAndLeavesNothing) {
    std::vector<std::uint8_t> bytes(4 * 4 * 4);
    std::string problem;
    const std::string path = In("no-such-directory/frame.png");
    const char* wrong = WriteFramePng(path, {bytes.data(), 16, false}, 4, 4, &problem);
    ASSERT_NE(wrong, nullptr);
    EXPECT_EQ(std::string(wrong).rfind("cannot write " + path + ": ", 0), 0u) << wrong;
    EXPECT_TRUE(fs::is_empty(directory));

    // A full disk, as a limit on the file's size: the data cannot be written, and neither the
    // file nor its partial copy stays.
    rlimit unlimited{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    const auto ignored = std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of the process
    rlimit tiny = unlimited;
    tiny.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    wrong = WriteFramePng(In("full.png"), {bytes.data(), 16, false}, 4, 4, &problem);
    setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, ignored);
    ASSERT_NE(wrong, nullptr);
    EXPECT_EQ(std::string(wrong), "cannot write " + In("full.png") + ": the disk refused the data");
    EXPECT_FALSE(fs::exists(In("full.png")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(In("full.png.partial"))));
}

// The renderer's file, decoded, holds the frame that the same scene composes here in memory.
TEST_F(PngReadBack, TheRenderersFileHoldsTheComposedFrame) {
    const std::string command = std::string(QUILLOMANTRASE_RENDER) + " --size 203x151 --time 4242 --frames 37 --output " +
                                In("globe.png") + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    SetUpBuiltInScene(203, 151, 4242);
    for (int tick = 0; tick < 37; ++tick) AdvanceFrame();
    const DecodedPng decoded = ReadPng(In("globe.png"));
    ASSERT_EQ(decoded.width, 203u);
    ASSERT_EQ(decoded.height, 151u);
    const std::vector<std::uint8_t> expected = FrameAsRgb(PeekMemoryFrame(), 203, 151);
    EXPECT_TRUE(decoded.rgb == expected);
}
