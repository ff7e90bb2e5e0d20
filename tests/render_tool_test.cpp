// quillomantrase-render as a user runs it: exit codes, messages, the files it leaves, and the
// same pixels for the same arguments.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

struct ProcessResult {
    int exitCode;
    std::string output;  // stdout and stderr together
};

ProcessResult RunRenderer(const std::string& arguments) {
    const std::string command = std::string(QUILLOMANTRASE_RENDER) + " " + arguments + " 2>&1";
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
                                  "--size 4x480 --frames 3 --output x.png", "--size 640x480 --frames 0 --output x.png",
                                  "--size 640x480 --frames 3 --output x.png --pitch 100",
                                  "--size 640x480 --frames 3 --output x.png --every 2",
                                  "--size 640x480 --frames 3 --output f%s.png", "--size 640x480 --frames 3 --output f%d%d.png",
                                  "--size 640x480 --frames 3 --output x.png --bogus 1", "--size 640x480 --frames"}) {
        const ProcessResult run = RunRenderer(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_NE(run.output.find("usage: quillomantrase-render"), std::string::npos) << arguments;
    }
}

TEST_F(RenderTool, UnusableMapsAreReportedWithTheSaversMessagesAndLeaveNoFile) {
    std::ofstream(In("not-a-map.bmp"), std::ios::binary) << "GIF89a and then some bytes that are not a bitmap at all";
    const std::string lying = ReadFile(QUILLOMANTRASE_MAP).substr(0, 60000);
    std::ofstream(In("cut-short.bmp"), std::ios::binary) << lying;
    for (const char* map : {"not-a-map.bmp", "cut-short.bmp", "missing.bmp"}) {
        const ProcessResult run = RunRenderer("--size 320x240 --time 1 --frames 2 --map " + In(map) + " --output " + In("out.png"));
        EXPECT_EQ(run.exitCode, 1) << map;
        EXPECT_NE(run.output.find("Error loading image"), std::string::npos) << run.output;
        EXPECT_FALSE(fs::exists(In("out.png"))) << map;
        EXPECT_FALSE(fs::exists(In("out.png.partial"))) << map;
    }
    const ProcessResult run = RunRenderer("--size 320x240 --time 1 --frames 2 --map " + In("cut-short.bmp") + " --output " + In("out.png"));
    EXPECT_NE(run.output.find("Source image is NULL"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("more pixel bytes than the image holds"), std::string::npos) << run.output;
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
