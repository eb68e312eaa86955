// Shared by the host tests: locating the build, running the built programs,
// scratch folders and small audio files.

#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hosttest {

// The build folder: ORVANTA_BUILD_DIR, else the folder above this test program's.
std::string BuildDir();
std::string RenderTool();
std::string PhraseTool();

// Points the platform's component search at the build folder, for this
// process and the programs it runs.
void UseBuiltComponent();

struct RunResult
{
  int exitCode = -1;  // 128 + signal when the program died of one
  std::string out;
  std::string err;
};

// Runs a program with the given arguments (argv[0] is the program's path),
// its standard input read from `input`, and waits for it.
RunResult Run(const std::vector<std::string>& argv, const std::string& input = "/dev/null");
RunResult Render(const std::vector<std::string>& args, const std::string& input = "/dev/null");

// A fresh folder removed with everything in it when the object goes.
class TempDir
{
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return mPath; }
  std::string operator/(const std::string& name) const { return mPath + "/" + name; }
  // Names in the folder, hidden ones included, sorted.
  std::vector<std::string> Names() const;

private:
  std::string mPath;
};

struct Audio
{
  int rate = 48000;
  int channels = 1;
  std::vector<float> samples;  // interleaved

  size_t Frames() const { return channels ? samples.size() / (size_t)channels : 0; }
  float At(size_t frame, int channel) const { return samples[frame * (size_t)channels + (size_t)channel]; }
};

// A guitar-like test signal: decaying partials of a plucked note, then a
// second note, so both drive and tone stages are exercised.
Audio TestSignal(int rate, int channels, double seconds);
// 32-bit float WAV unless `format` (libsndfile SF_FORMAT_*) says otherwise.
bool WriteAudio(const std::string& path, const Audio& audio, int format = 0);
bool ReadAudio(const std::string& path, Audio* audio);

// Largest sample difference (infinite when the lengths differ), and peak.
float MaxDifference(const Audio& a, const Audio& b);
float Peak(const Audio& a);

// Base of the fixtures that run orvanta-render on files in a fresh folder:
// the built component is found and the program is there.
class RenderHostTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { UseBuiltComponent(); }
  void SetUp() override;

  // A test signal written into `dir` as `name`; its path.
  std::string WriteSignal(const std::string& name, int rate, int channels, double seconds);

  TempDir dir;
};

std::string ReadText(const std::string& path);
bool WriteText(const std::string& path, const std::string& text);
bool Exists(const std::string& path);

}  // namespace hosttest
