// The build step as CMake runs it: a bad picture must fail the build, by
// name, and good ones must give the loaders.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "test_files.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status;
    std::string errors;
};

ToolRun OutlineTool(const fs::path& output, const std::vector<fs::path>& pictures)
{
    fs::path log = output.parent_path() / "stderr.txt";
    std::string command = std::string("\"") + WALKERS_OUTLINE_TOOL + "\" \"" + output.string() + "\"";
    for (const auto& p : pictures) command += " \"" + p.string() + "\"";
    command += " 2>\"" + log.string() + "\"";
    int status = std::system(command.c_str());
    auto bytes = ReadBytes(log);
    return {status, std::string(bytes.begin(), bytes.end())};
}

std::vector<fs::path> StoredFrames()
{
    std::vector<fs::path> frames;
    for (int k = 0; k < 13; ++k) frames.push_back(FramePath(k));
    return frames;
}

TEST(OutlineTool, WritesAllThirteenLoaders)
{
    fs::path dir = ScratchDir("outline_ok");
    ToolRun run = OutlineTool(dir / "shapes.cpp", StoredFrames());
    ASSERT_EQ(run.status, 0) << run.errors;
    auto bytes = ReadBytes(dir / "shapes.cpp");
    std::string source(bytes.begin(), bytes.end());
    EXPECT_NE(source.find("record.rdh.nCount = 14;\n    record.rdh.nRgnSize = 224;\n"
                          "    record.rdh.rcBound = {1, 40, 63, 61};\n"
                          "    record.Buffer[0] = {54, 40, 58, 41};"),
              std::string::npos);
    EXPECT_NE(source.find("void RGN_LoadShape12()"), std::string::npos);
    EXPECT_EQ(source.find("RGN_LoadShape13"), std::string::npos);
    fs::remove_all(dir);
}

TEST(OutlineTool, FailsOnABadPictureNamingIt)
{
    fs::path dir = ScratchDir("outline_bad");
    auto bytes = ReadBytes(FramePath(5));
    bytes.resize(bytes.size() - 100);
    fs::path bad = dir / "frame05.bmp";
    std::ofstream(bad, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
    auto frames = StoredFrames();
    frames[5] = bad;
    ToolRun run = OutlineTool(dir / "shapes.cpp", frames);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.errors.find(bad.string()), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("truncated"), std::string::npos) << run.errors;
    EXPECT_FALSE(fs::exists(dir / "shapes.cpp"));

    // Dots in every other column of three rows need 96 rectangles.
    Bmp24 dotted = Bmp24::Blank();
    for (int y = 0; y < 5; y += 2)
        for (int x = 0; x < 64; x += 2) dotted.SetPixel(x, y, {200, 200, 200});
    auto dotted_bytes = EncodeBmp24(dotted);
    std::ofstream(bad, std::ios::binary)
        .write(reinterpret_cast<const char*>(dotted_bytes.data()), std::streamsize(dotted_bytes.size()));
    run = OutlineTool(dir / "shapes.cpp", frames);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.errors.find("96 rectangles"), std::string::npos) << run.errors;

    frames.pop_back();
    EXPECT_NE(OutlineTool(dir / "shapes.cpp", frames).status, 0); // one picture missing
    fs::remove_all(dir);
}

} // namespace
