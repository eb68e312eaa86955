// orvanta-render run as a user runs it: the built program on small generated
// files, with the built component found through AUDIO_COMPONENT_PATH.

#include "HostTestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

using namespace hosttest;

namespace {

class RenderTest : public RenderHostTest
{
protected:
  void SetUp() override
  {
    RenderHostTest::SetUp();
    mono = WriteSignal("mono.wav", 48000, 1, 0.5);
    stereo = WriteSignal("stereo.wav", 44100, 2, 0.5);
  }

  // Renders and reads the result back; fails the test when either goes wrong.
  Audio RenderOk(std::vector<std::string> args, const std::string& out)
  {
    args.push_back(out);
    const RunResult r = Render(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    Audio a;
    EXPECT_TRUE(ReadAudio(out, &a)) << out;
    return a;
  }

  // A refused run: non-zero exit, one line on stderr holding every `expected` text.
  void ExpectRefused(const std::vector<std::string>& args, const std::vector<std::string>& expected, int code = 1)
  {
    const RunResult r = Render(args);
    EXPECT_EQ(r.exitCode, code) << r.err;
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "not one line: " << r.err;
    EXPECT_EQ(r.err.rfind("orvanta-render: ", 0), 0u) << r.err;
    for (const std::string& text : expected) EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
  }

  std::string mono, stereo;
};

}  // namespace

TEST_F(RenderTest, MonoAndStereoGiveTwoEqualFiniteChannelsAtTheFileRate)
{
  for (const std::string& in : {mono, stereo})
  {
    Audio src, out = RenderOk({in}, dir / "out.wav");
    ASSERT_TRUE(ReadAudio(in, &src));
    EXPECT_EQ(out.channels, 2);
    EXPECT_EQ(out.rate, src.rate);
    ASSERT_EQ(out.Frames(), src.Frames());
    for (size_t i = 0; i < out.Frames(); ++i)
    {
      ASSERT_TRUE(std::isfinite(out.At(i, 0))) << i;
      ASSERT_EQ(out.At(i, 0), out.At(i, 1)) << i;
    }
    EXPECT_GT(Peak(out), 0.01f);
  }
}

// The unit sums its inputs: a mono file must reach it as one channel (the
// mono configuration), not copied onto two, so it sounds like a stereo file
// carrying the same signal on the left only.
TEST_F(RenderTest, MonoInputIsRenderedAsOneChannel)
{
  Audio m = TestSignal(48000, 1, 0.5), leftOnly = m;
  leftOnly.channels = 2;
  leftOnly.samples.assign(m.samples.size() * 2, 0.0f);
  for (size_t i = 0; i < m.Frames(); ++i) leftOnly.samples[i * 2] = m.samples[i];
  ASSERT_TRUE(WriteAudio(dir / "left.wav", leftOnly));
  const Audio a = RenderOk({mono}, dir / "a.wav");
  const Audio b = RenderOk({dir / "left.wav"}, dir / "b.wav");
  EXPECT_EQ(MaxDifference(a, b), 0.0f);
}

TEST_F(RenderTest, ParametersByValueAndEnumsByTheirText)
{
  const Audio byText = RenderOk({"--set", "Channel=Clean", mono}, dir / "text.wav");
  const Audio byNumber = RenderOk({"--set", "channel=0", mono}, dir / "number.wav");
  const Audio dirty = RenderOk({"--set=Channel=dirty", mono}, dir / "dirty.wav");
  EXPECT_EQ(MaxDifference(byText, byNumber), 0.0f);
  EXPECT_GT(MaxDifference(byText, dirty), 1e-3f);

  // Level 0 lets nothing through (the filters may keep a trace far below hearing).
  const Audio silent = RenderOk({"--set", "Level=0", "--set", "Drive=1", mono}, dir / "silent.wav");
  EXPECT_LT(Peak(silent), 1e-9f);
}

TEST_F(RenderTest, PresetsSetWhatTheyName)
{
  // "Clean": Level 0.5, Drive 0.1, Low 0.5, High 0.5, Channel 0. A host's
  // parameter values are 32-bit floats, so Drive=0.1 set by hand is not quite
  // the preset's 0.1.
  const Audio preset = RenderOk({"--preset", "clean", stereo}, dir / "preset.wav");
  const Audio manual = RenderOk({"--set", "Drive=0.1", "--set", "Channel=0", stereo}, dir / "manual.wav");
  EXPECT_LT(MaxDifference(preset, manual), 1e-5f);
  // Later --set values refine the preset.
  const Audio refined = RenderOk({"--preset", "Clean", "--set", "Drive=0.9", stereo}, dir / "refined.wav");
  EXPECT_GT(MaxDifference(preset, refined), 1e-4f);
}

TEST_F(RenderTest, BypassPassesTheInputThrough)
{
  Audio m, s;
  ASSERT_TRUE(ReadAudio(mono, &m));
  ASSERT_TRUE(ReadAudio(stereo, &s));
  const Audio mo = RenderOk({"--bypass", "--preset", "Dirty", mono}, dir / "m.wav");
  const Audio so = RenderOk({"--bypass", stereo}, dir / "s.wav");
  ASSERT_EQ(mo.Frames(), m.Frames());
  ASSERT_EQ(so.Frames(), s.Frames());
  for (size_t i = 0; i < m.Frames(); ++i)
  {
    ASSERT_EQ(mo.At(i, 0), m.At(i, 0)) << i;
    ASSERT_EQ(mo.At(i, 1), m.At(i, 0)) << i;
  }
  for (size_t i = 0; i < s.Frames(); ++i)
  {
    ASSERT_EQ(so.At(i, 0), s.At(i, 0)) << i;
    ASSERT_EQ(so.At(i, 1), s.At(i, 1)) << i;
  }
}

TEST_F(RenderTest, BlockSizeDoesNotChangeTheSound)
{
  const Audio ref = RenderOk({mono}, dir / "ref.wav");
  for (const char* block : {"1", "7", "4096"})
  {
    const Audio a = RenderOk({"--block", block, mono}, dir / "b.wav");
    EXPECT_LT(MaxDifference(ref, a), 1e-6f) << block;
  }
}

TEST_F(RenderTest, SummaryLineMatchesTheOutput)
{
  const RunResult r = Render({mono, dir / "out.wav"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Audio out;
  ASSERT_TRUE(ReadAudio(dir / "out.wav", &out));
  char expected[128];
  snprintf(expected, sizeof(expected), "output peak %.1f dBFS\n", 20 * std::log10(Peak(out)));
  EXPECT_EQ(r.out.rfind(dir / "out.wav: 24000 frames, 0.50 s of audio, real-time factor ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  // Not a terminal: no progress bar.
  EXPECT_TRUE(r.err.empty()) << r.err;

  const RunResult quiet = Render({"--quiet", mono, dir / "q.wav"});
  EXPECT_EQ(quiet.exitCode, 0);
  EXPECT_TRUE(quiet.out.empty() && quiet.err.empty());
}

TEST_F(RenderTest, OutputFormatFollowsTheExtension)
{
  const Audio wav = RenderOk({mono}, dir / "a.wav");
  const Audio flac = RenderOk({mono}, dir / "a.flac");
  const Audio other = RenderOk({mono}, dir / "a");
  SF_INFO info{};
  SNDFILE* f = sf_open((dir / "a.flac").c_str(), SFM_READ, &info);
  ASSERT_NE(f, nullptr);
  sf_close(f);
  EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
  EXPECT_EQ(info.channels, 2);
  EXPECT_LT(MaxDifference(wav, flac), 1e-5f);
  f = sf_open((dir / "a").c_str(), SFM_READ, &info);
  ASSERT_NE(f, nullptr);
  sf_close(f);
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  EXPECT_EQ(MaxDifference(wav, other), 0.0f);
}

// Beyond full scale, integer formats hold the clipped value, not a wrapped one.
TEST_F(RenderTest, IntegerFormatsClipLoudOutput)
{
  const std::vector<std::string> loud = {"--preset", "Clean", "--set", "Level=1", stereo};
  const Audio wav = RenderOk(loud, dir / "loud.wav");
  const Audio flac = RenderOk(loud, dir / "loud.flac");
  ASSERT_GT(Peak(wav), 1.5f);
  ASSERT_EQ(wav.samples.size(), flac.samples.size());
  for (size_t i = 0; i < wav.samples.size(); ++i)
    ASSERT_NEAR(flac.samples[i], std::clamp(wav.samples[i], -1.0f, 1.0f), 1e-5f) << i;
}

TEST_F(RenderTest, ListShowsWhatAHostReads)
{
  const RunResult r = Render({"--list"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* text : {"Orvanta (aufx orv5 Zrnt), version 1.3.0", "Level:   0 to 1, generic, now 0.500",
                           "Drive:", "Low:", "High:", "Channel: 0 to 1, indexed, now Dirty; values 0 \"Clean\" 1 \"Dirty\"",
                           "Factory presets:\n  0 \"Dirty\"\n  1 \"Clean\"\n",
                           "Channel configurations (in -> out): 1 -> 1, 2 -> 2\n", "Latency: 0 s\n", "Tail: 0 s\n"})
    EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
  // Listed after the other options apply.
  const RunResult clean = Render({"--preset", "Clean", "--set", "High=0.25", "--list"});
  EXPECT_NE(clean.out.find("now Clean;"), std::string::npos) << clean.out;
  EXPECT_NE(clean.out.find("Drive:   0 to 1, generic, now 0.100"), std::string::npos) << clean.out;
  EXPECT_NE(clean.out.find("High:    0 to 1, generic, now 0.250"), std::string::npos) << clean.out;
}

// Names and values on the command line that the unit does not know are
// command-line mistakes (exit 2), as --help says; files that fail exit 1.
TEST_F(RenderTest, BadInputIsRefusedInOneLine)
{
  const std::string out = dir / "out.wav";
  WriteText(dir / "text.txt", "not audio\n");
  ASSERT_TRUE(WriteAudio(dir / "three.wav", TestSignal(48000, 3, 0.1)));
  ExpectRefused({dir / "missing.wav", out}, {"cannot read", "missing.wav", "No such file"});
  ExpectRefused({dir / "text.txt", out}, {"cannot read", "not an audio file"});
  ExpectRefused({dir.Path(), out}, {"is a folder"});
  ExpectRefused({dir / "three.wav", out}, {"3 channels", "only mono and stereo"});
  ExpectRefused({"--set", "Gain=1", mono, out}, {"unknown parameter \"Gain\"", "Level, Drive, Low, High, Channel"}, 2);
  ExpectRefused({"--preset", "Crunch", mono, out}, {"unknown preset \"Crunch\"", "Dirty, Clean"}, 2);
  ExpectRefused({"--set", "Drive=lots", mono, out}, {"\"lots\"", "Drive", "not a number", "0 to 1"}, 2);
  ExpectRefused({"--set", "Drive=1,5", mono, out}, {"not a number", "0 to 1"}, 2);
  ExpectRefused({"--set", "Level=1.5", mono, out}, {"1.5", "Level", "out of range (0 to 1)"}, 2);
  ExpectRefused({"--set", "Low=-0.1", mono, out}, {"out of range (0 to 1)"}, 2);
  ExpectRefused({"--set", "Channel=Metal", mono, out}, {"\"Metal\"", "Clean, Dirty"}, 2);
  ExpectRefused({"--set", "Channel=2", mono, out}, {"out of range (0 to 1)"}, 2);
  ExpectRefused({"--set", "Channel=0.5", mono, out}, {"whole number"}, 2);
  ExpectRefused({mono, mono}, {"same file as INPUT"});
  ExpectRefused({mono, dir.Path() + "/./mono.wav"}, {"same file as INPUT"});
  ASSERT_EQ(symlink(mono.c_str(), (dir / "link.wav").c_str()), 0);
  ExpectRefused({mono, dir / "link.wav"}, {"same file as INPUT"});
  ExpectRefused({mono, dir / "no/such/folder/out.wav"}, {"cannot write", "No such file"});
  ExpectRefused({mono, mono + "/out.wav"}, {"cannot write", "Not a directory"});
  ExpectRefused({mono, dir.Path()}, {"cannot write", "is a folder"});
  EXPECT_FALSE(Exists(out));
  // Nothing half-written is left behind.
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"link.wav", "mono.wav", "stereo.wav", "text.txt", "three.wav"}));
}

TEST_F(RenderTest, BadCommandLinesExitWithTwo)
{
  ExpectRefused({}, {"expected INPUT and OUTPUT"}, 2);
  ExpectRefused({mono}, {"expected OUTPUT"}, 2);
  ExpectRefused({mono, "a.wav", "b.wav"}, {"too many files"}, 2);
  ExpectRefused({"--louder", mono, "a.wav"}, {"unknown option --louder"}, 2);
  ExpectRefused({mono, "a.wav", "--preset"}, {"--preset needs a value"}, 2);
  ExpectRefused({"--set", "Level", mono, "a.wav"}, {"NAME=VALUE"}, 2);
  ExpectRefused({"--format", "mp4", mono, "a.wav"}, {"unknown format \"mp4\"", "wav", "flac"}, 2);
  ExpectRefused({"--name", "Mine", mono, "a.wav"}, {"--save-state"}, 2);
  ExpectRefused({"--block", "0", mono, "a.wav"}, {"--block", "1 to 65536"}, 2);
  ExpectRefused({"--block", "12x", mono, "a.wav"}, {"--block"}, 2);
  ExpectRefused({"--bypass=1", mono, "a.wav"}, {"takes no value"}, 2);
  const RunResult help = Render({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage: orvanta-render [options] INPUT OUTPUT"), std::string::npos);
}

// "Level=" names a parameter but no value; read as an empty number it
// would be refused later as a bad value with exit 1, or taken as 0.
TEST_F(RenderTest, SetWithAnEmptyValueIsACommandLineError)
{
  ExpectRefused({"--set", "Level=", mono, dir / "a.wav"}, {"--set needs NAME=VALUE", "\"Level=\""}, 2);
}

TEST_F(RenderTest, FailuresLeaveAnExistingOutputAlone)
{
  const std::string out = dir / "keep.wav";
  WriteText(out, "precious");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--set", "Level=9", mono, out},
                                             {"--preset", "Nope", mono, out},
                                             {dir / "missing.wav", out},
                                             {"--load-state", dir / "missing.aupreset", mono, out},
                                             {"--save-state", dir / "no/folder/s.aupreset", mono, out}})
  {
    const RunResult r = Render(args);
    EXPECT_NE(r.exitCode, 0) << args[0];
    EXPECT_EQ(ReadText(out), "precious") << args[0];
  }
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"keep.wav", "mono.wav", "stereo.wav"}));
  // A successful run replaces it, keeping its permissions.
  chmod(out.c_str(), 0640);
  RenderOk({mono}, out);
  struct stat st;
  ASSERT_EQ(stat(out.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// A render stopped part-way (here by SIGTERM while it waits for more input
// from a pipe) removes its temporary file and never creates OUTPUT.
TEST_F(RenderTest, InterruptedRenderLeavesNoFile)
{
  const std::string fifo = dir / "pipe.au";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string out = dir / "out.wav";
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0)
  {
    execl(RenderTool().c_str(), RenderTool().c_str(), "--quiet", fifo.c_str(), out.c_str(), (char*)nullptr);
    _exit(127);
  }
  // An AU stream of unknown length, fed slowly through the pipe.
  SF_INFO info{};
  info.samplerate = 48000;
  info.channels = 1;
  info.format = SF_FORMAT_AU | SF_FORMAT_FLOAT;
  FILE* pipe = fopen(fifo.c_str(), "wb");
  ASSERT_NE(pipe, nullptr);
  SNDFILE* f = sf_open_fd(fileno(pipe), SFM_WRITE, &info, SF_FALSE);
  ASSERT_NE(f, nullptr);
  const Audio a = TestSignal(48000, 1, 0.2);
  sf_writef_float(f, a.samples.data(), (sf_count_t)a.Frames());
  sf_write_sync(f);
  bool staged = false;
  for (int i = 0; i < 200 && !staged; ++i)
  {
    for (const std::string& name : dir.Names()) staged = staged || name.rfind(".out.wav.", 0) == 0;
    if (!staged) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(staged);
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  sf_close(f);
  fclose(pipe);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"mono.wav", "pipe.au", "stereo.wav"}));
}

// Reads of many frames feed several unit blocks each; blocks that straddle
// two reads, and a last read that is not full, must join seamlessly.
TEST_F(RenderTest, LongInputsRenderTheSameAtEveryBlockSize)
{
  const std::string longer = dir / "long.wav";
  ASSERT_TRUE(WriteAudio(longer, TestSignal(48000, 2, 3.1)));
  const Audio ref = RenderOk({"--block", "512", longer}, dir / "ref.wav");
  ASSERT_EQ(ref.Frames(), 148800u);
  for (const char* block : {"1000", "65536"})
    EXPECT_LT(MaxDifference(ref, RenderOk({"--block", block, longer}, dir / "b.wav")), 1e-6f) << block;
}

// One NaN once spread through the rest of its block unannounced; the host
// says how many such samples the input held, in one line.
TEST_F(RenderTest, NonFiniteInputSamplesAreCountedInOneWarning)
{
  Audio a = TestSignal(44100, 2, 0.5);
  a.samples[1000] = NAN;
  a.samples[1001] = NAN;
  a.samples[5000] = INFINITY;
  a.samples[20001] = -INFINITY;
  ASSERT_TRUE(WriteAudio(dir / "bad.wav", a));
  const RunResult r = Render({"--quiet", dir / "bad.wav", dir / "out.wav"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "orvanta-render: warning: " + dir / "bad.wav" + " holds 4 non-finite samples (NaN or infinity)\n");
}

// A file cut short (an interrupted copy) reads like a complete shorter one;
// the header still tells how long it was meant to be.
TEST_F(RenderTest, TruncatedInputIsRenderedWithAWarning)
{
  struct Case
  {
    const char* name;
    int format;
    int bytesPerFrame;
  };
  for (const Case& c : {Case{"cut.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 4}, Case{"cut.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2}})
  {
    const std::string cut = dir / c.name;
    ASSERT_TRUE(WriteAudio(cut, TestSignal(48000, 1, 0.5), c.format));
    struct stat st;
    ASSERT_EQ(stat(cut.c_str(), &st), 0);
    // libsndfile ends both files with their 24000 frames.
    const off_t header = st.st_size - 24000 * c.bytesPerFrame;
    ASSERT_EQ(truncate(cut.c_str(), header + 10000 * c.bytesPerFrame + 1), 0);
    const RunResult r = Render({"--quiet", cut, dir / "out.wav"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "orvanta-render: warning: " + cut + " is cut short: its header declares 24000 frames, the file holds 10000\n");
    Audio out;
    ASSERT_TRUE(ReadAudio(dir / "out.wav", &out));
    EXPECT_EQ(out.Frames(), 10000u);
  }
}
