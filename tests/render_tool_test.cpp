// quillomantrase-render as a user runs it: exit codes, messages, the files it leaves, and the
// same pixels for the same arguments.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ProcessResult {
    int exitCode;
    std::string output;  // stdout and stderr together
};

// Runs the renderer; stdout and stderr together unless `redirection` says otherwise.
ProcessResult RunRenderer(const std::string& arguments, const std::string& redirection = "2>&1") {
    const std::string command = std::string(QUILLOMANTRASE_RENDER) + " " + arguments + " " + redirection;
    ProcessResult run{-1, {}};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, count);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RenderTool : public ::testing::Test {
protected:
    void SetUp() override {
        directory = fs::path(::testing::TempDir()) / ("render-" + std::to_string(::getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }
    std::string In(const std::string& name) const { return (directory / name).string(); }
    std::size_t FileCount() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory), {})); }
    fs::path directory;
};

}  // namespace

TEST_F(RenderTool, BadArgumentsGiveUsageAndExitCode2) {
    for (const char* arguments : {"", "--size 640x480 --frames 3", "--size 640 --frames 3 --output x.png",
                                  "--size 640x480 --frames 0 --output x.png",
                                  "--size 640x480 --frames 3 --output x.png --pitch 100",
                                  "--size 640x480 --frames 3 --output x.png --every 2",
                                  "--size 640x480 --frames 3 --output x.png --bogus 1", "--size 640x480 --frames"}) {
        const ProcessResult run = RunRenderer(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_NE(run.output.find("usage: quillomantrase-render"), std::string::npos) << arguments;
    }
}

TEST_F(RenderTool, HelpGoesToStandardOutputAndMissingArgumentsAreNamed) {
    for (const char* help : {"--help", "-h", "--size 5x8 -h"}) {
        const ProcessResult run = RunRenderer(help, "2>/dev/null");
        EXPECT_EQ(run.exitCode, 0) << help;
        EXPECT_EQ(run.output.rfind("usage: quillomantrase-render --size WxH [--time T] --frames N", 0), 0u) << run.output;
        EXPECT_EQ(RunRenderer(help, "2>&1 >/dev/null").output, "") << "nothing on stderr for " << help;
    }
    for (const char* version : {"--version", "--size 5x8 --version"}) {
        const ProcessResult run = RunRenderer(version, "2>/dev/null");
        EXPECT_EQ(run.exitCode, 0) << version;
        EXPECT_EQ(run.output.substr(0, run.output.find('\n')), std::string("quillomantrase-render ") + QUILLOMANTRASE_VERSION);
    }
    const std::pair<const char*, const char*> cases[] = {
        {"", "quillomantrase-render: --size, --frames and --output are needed\n"},
        {"--frames 3 --output x.png", "quillomantrase-render: --size is needed\n"},
        {"--size 640x480 --output x.png", "quillomantrase-render: --frames is needed\n"},
        {"--size 640x480 --frames 3", "quillomantrase-render: --output is needed\n"},
        {"--time 5 --output x.png", "quillomantrase-render: --size and --frames are needed\n"},
        {"--size 640x480 --frames", "quillomantrase-render: --frames needs a value\n"},
        {"--size 640x480 --frames 3 --output x.png --bogus 1", "quillomantrase-render: unknown option --bogus\n"},
    };
    for (const auto& [arguments, message] : cases) {
        const ProcessResult run = RunRenderer(arguments, "2>&1 >/dev/null");
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_EQ(run.output.rfind(message, 0), 0u) << arguments << "\ngave: " << run.output;
    }
}

// A 24-bit BMP of the given size, every pixel grey, rows padded to four bytes.
std::string GreyBmp(std::int32_t width, std::int32_t height) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(height);
    std::string bmp = std::string(54, '\0') + std::string(pixelBytes, '\x80');
    const auto put = [&bmp](std::size_t at, std::uint32_t value, int bytes) {
        for (int k = 0; k < bytes; ++k) bmp[at + k] = static_cast<char>(value >> (8 * k));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put(2, 54 + pixelBytes, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, pixelBytes, 4);
    return bmp;
}

TEST_F(RenderTool, AMapThatCannotBeUsedIsOneLineSayingWhyAndLeavesNoFile) {
    std::ofstream(In("not-a-map.bmp"), std::ios::binary) << "GIF89a and then some bytes that are not a bitmap at all";
    std::ofstream(In("cut-short.bmp"), std::ios::binary) << ReadFile(QUILLOMANTRASE_MAP).substr(0, 60000);
    std::ofstream(In("wide-1001.bmp"), std::ios::binary) << GreyBmp(1001, 20);
    std::ofstream(In("wide-1000.bmp"), std::ios::binary) << GreyBmp(1000, 20);
    const std::pair<const char*, const char*> maps[] = {
        {"not-a-map.bmp", "the image does not start with \"BM\""},
        {"cut-short.bmp", "the header promises more pixel bytes than the image holds"},
        {"missing.bmp", "No such file or directory"},
        {"wide-1001.bmp", "the map is more than 1000 pixels wide"},
    };
    for (const auto& [map, reason] : maps) {
        const ProcessResult run = RunRenderer("--size 320x240 --time 1 --frames 2 --map " + In(map) + " --output " + In("out.png"));
        EXPECT_EQ(run.exitCode, 1) << map;
        EXPECT_EQ(run.output, "quillomantrase-render: cannot use map " + In(map) + ": " + reason +
                                  "; a 24-bit uncompressed BMP at most 1000 pixels wide is needed\n");
        EXPECT_FALSE(fs::exists(In("out.png"))) << map;
        EXPECT_FALSE(fs::exists(In("out.png.partial"))) << map;
    }
    const ProcessResult widest = RunRenderer("--size 320x240 --time 1 --frames 2 --map " + In("wide-1000.bmp") + " --output " + In("out.png"));
    EXPECT_EQ(widest.exitCode, 0) << widest.output;
}

TEST_F(RenderTool, OnlyARegularFileIsReplacedAnythingElseIsRefusedUntouched) {
    fs::create_directory(In("folder.png"));
    std::ofstream(In("target.txt")) << "keep me";
    fs::create_symlink(In("target.txt"), In("link.png"));
    ASSERT_EQ(::mkfifo(In("fifo.png").c_str(), 0644), 0);
    std::vector<std::pair<std::string, std::string>> refused = {
        {"folder.png", "a folder"}, {"link.png", "a symbolic link"}, {"fifo.png", "a FIFO (a named pipe)"}};
    // A device node like /dev/null's, where the system lets us make one (as root).
    if (::mknod(In("device.png").c_str(), S_IFCHR | 0644, makedev(1, 3)) == 0) refused.push_back({"device.png", "a device"});
    for (const auto& [name, what] : refused) {
        const fs::file_type before = fs::symlink_status(In(name)).type();
        const ProcessResult run = RunRenderer("--size 40x30 --time 1 --frames 2 --output " + In(name));
        EXPECT_EQ(run.exitCode, 1) << name;
        EXPECT_EQ(run.output, "quillomantrase-render: cannot write " + In(name) + ": it is " + what +
                                  ", not a regular file, and only a regular file is replaced\n");
        EXPECT_EQ(fs::symlink_status(In(name)).type(), before) << name;
    }
    EXPECT_EQ(ReadFile(In("target.txt")), "keep me");
    // A regular file, and a leftover temporary file beside it, are replaced by the picture.
    std::ofstream(In("old.png")) << "an older picture";
    std::ofstream(In("old.png.partial")) << "cut short";
    ASSERT_EQ(RunRenderer("--size 40x30 --time 1 --frames 2 --output " + In("old.png")).exitCode, 0);
    EXPECT_EQ(ReadFile(In("old.png")).substr(1, 3), "PNG");
    EXPECT_FALSE(fs::exists(In("old.png.partial")));
}

// Each of these would take hours to render, so a refusal that came after rendering would not
// come at all within the test's time.
TEST_F(RenderTool, AnOutputThatCannotBeWrittenIsRefusedBeforeAnyFrameIsRendered) {
    const std::string longRun = "--size 1920x1080 --time 1 --frames 100000000 ";
    ProcessResult run = RunRenderer(longRun + "--output " + In("missing/globe.png"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "quillomantrase-render: cannot write " + In("missing/globe.png") + ": the folder " +
                              In("missing") + " does not exist\n");
    // Every numbered frame's path is checked: here the first of them is taken by a folder...
    fs::create_directory(In("globe-50000000.png"));
    run = RunRenderer(longRun + "--every 50000000 --output " + In("globe-%d.png"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("cannot write " + In("globe-50000000.png") + ": it is a folder"), std::string::npos) << run.output;
    // ...and here the folder of the last is missing, while the first one's is there.
    fs::create_directory(In("run-50000000"));
    run = RunRenderer(longRun + "--every 50000000 --output " + In("run-%d/globe.png"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("the folder " + In("run-100000000") + " does not exist"), std::string::npos) << run.output;
    EXPECT_TRUE(fs::is_empty(In("run-50000000"))) << "no frame written before the refusal";
    EXPECT_EQ(FileCount(), 2u);
    // sysfs takes no new files, not even from root.
    if (fs::exists("/sys/kernel")) {
        run = RunRenderer(longRun + "--output /sys/quillomantrase-test.png");
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.output.rfind("quillomantrase-render: cannot write /sys/quillomantrase-test.png: ", 0), 0u) << run.output;
    }
}

TEST_F(RenderTool, TheSizesAtEachEndAndJustBeyond) {
    // The smallest screen is rendered; one pixel less either way is refused.
    ProcessResult run = RunRenderer("--size 5x8 --time 1 --frames 3 --output " + In("smallest.png"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFile(In("smallest.png")).substr(16, 8), std::string("\0\0\0\x05\0\0\0\x08", 8));
    for (const char* size : {"4x8", "5x7", "16385x16384", "16384x16385", "0x0", "-5x8", "5x8x1", "05x"}) {
        run = RunRenderer(std::string("--size ") + size + " --time 1 --frames 3 --output " + In("no.png"));
        EXPECT_EQ(run.exitCode, 2) << size;
        EXPECT_EQ(run.output.rfind("quillomantrase-render: --size wants WxH, from 5x8 to 16384x16384\n", 0), 0u) << size;
    }
    // The largest is accepted: the run gets as far as the output, refused here to spare 1 GiB.
    run = RunRenderer("--size 16384x16384 --time 1 --frames 1 --output " + In("missing/largest.png"));
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("does not exist"), std::string::npos) << run.output;
    // A wider pitch that takes the frame past 1 GiB is not.
    run = RunRenderer("--size 16384x16384 --pitch 65540 --time 1 --frames 1 --output " + In("no.png"));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output.rfind("quillomantrase-render: the frame would be larger than 1 GiB\n", 0), 0u) << run.output;
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(RenderTool, FrameNumberFieldsAreFilledAsPrintfWould) {
    std::vector<std::string> fields = {"%d", "%0d"};
    for (int width = 1; width <= 20; ++width) {
        fields.push_back("%" + std::to_string(width) + "d");
        fields.push_back("%0" + std::to_string(width) + "d");
    }
    for (const std::string& field : fields) {
        const std::string pattern = "f" + field + "-100%%.png";
        char expected[64];
        std::snprintf(expected, sizeof expected, pattern.c_str(), 12);
        const ProcessResult run = RunRenderer("--size 5x8 --time 1 --frames 12 --every 12 --output '" + In(pattern) + "'");
        ASSERT_EQ(run.exitCode, 0) << field << ": " << run.output;
        EXPECT_TRUE(fs::exists(In(expected))) << field << " should give " << expected;
        fs::remove(In(expected));
    }
    for (const char* pattern : {"f%s.png", "f%d%d.png", "f%021d.png", "f%123d.png", "f%-3d.png", "f%+d.png", "f%5.png",
                                "f%.png", "f%x.png"}) {
        const ProcessResult run = RunRenderer(std::string("--size 5x8 --frames 3 --output '") + In(pattern) + "'");
        EXPECT_EQ(run.exitCode, 2) << pattern;
        EXPECT_EQ(run.output.rfind("quillomantrase-render: --output may hold one frame-number field (%d, %Nd or %0Nd, "
                                   "N from 1 to 20) and %% for a percent sign\n", 0), 0u) << pattern << ": " << run.output;
    }
    EXPECT_EQ(FileCount(), 0u);
}

TEST_F(RenderTool, SameArgumentsSamePicturesWhateverThePitchOrMapSource) {
    ASSERT_EQ(RunRenderer("--size 400x300 --time 77 --frames 250 --output " + In("a.png")).exitCode, 0);
    ASSERT_EQ(RunRenderer("--size 400x300 --time 77 --frames 250 --output " + In("b.png")).exitCode, 0);
    ASSERT_EQ(RunRenderer("--size 400x300 --time 77 --frames 250 --pitch 1700 --output " + In("c.png")).exitCode, 0);
    ASSERT_EQ(RunRenderer("--size 400x300 --time 77 --frames 250 --map " + std::string(QUILLOMANTRASE_MAP) +
                          " --output " + In("d.png")).exitCode, 0);
    ASSERT_EQ(RunRenderer("--size 400x300 --time 78 --frames 250 --output " + In("e.png")).exitCode, 0);
    const std::string a = ReadFile(In("a.png"));
    EXPECT_EQ(a, ReadFile(In("b.png")));
    EXPECT_EQ(a, ReadFile(In("c.png")));
    EXPECT_EQ(a, ReadFile(In("d.png")));
    EXPECT_NE(a, ReadFile(In("e.png"))) << "another clock, other stars";
    // An 8-bit RGB PNG of the screen's size.
    ASSERT_GT(a.size(), 33u);
    EXPECT_EQ(a.substr(1, 3), "PNG");
    EXPECT_EQ(a.substr(16, 8), std::string("\0\0\x01\x90\0\0\x01\x2c", 8));
    EXPECT_EQ(a[24], 8);
    EXPECT_EQ(a[25], 2);
}

TEST_F(RenderTool, WithoutATimeItSaysWhichItUsedSoTheRunCanBeRepeated) {
    const ProcessResult first = RunRenderer("--size 200x150 --frames 3 --output " + In("now.png"));
    ASSERT_EQ(first.exitCode, 0) << first.output;
    const auto at = first.output.find("--time ");
    ASSERT_NE(at, std::string::npos) << first.output;
    const std::string time = first.output.substr(at + 7, first.output.find('\n', at) - at - 7);
    ASSERT_EQ(RunRenderer("--size 200x150 --frames 3 --time " + time + " --output " + In("again.png")).exitCode, 0);
    EXPECT_EQ(ReadFile(In("now.png")), ReadFile(In("again.png")));
}

TEST_F(RenderTool, NumberedOutputWritesEveryKthFrameAndTheLast) {
    const ProcessResult run = RunRenderer("--size 120x90 --time 3 --frames 12 --every 5 --output " + In("globe-%03d.png"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(fs::exists(In("globe-005.png")));
    EXPECT_TRUE(fs::exists(In("globe-010.png")));
    EXPECT_TRUE(fs::exists(In("globe-012.png")));
    EXPECT_EQ(FileCount(), 3u);
    ASSERT_EQ(RunRenderer("--size 120x90 --time 3 --frames 10 --output " + In("single.png")).exitCode, 0);
    EXPECT_EQ(ReadFile(In("single.png")), ReadFile(In("globe-010.png")));
}
