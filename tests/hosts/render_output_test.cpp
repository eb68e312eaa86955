// Where orvanta-render writes and in what form: special files, links,
// protected files, long names, standard output and the output formats. Each
// case is checked against a plain render into a regular float WAV.

#include "HostTestSupport.h"
#include "hosts/OutputFormats.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

using namespace hosttest;

namespace {

class RenderOutputTest : public RenderHostTest
{
protected:
  void SetUp() override
  {
    RenderHostTest::SetUp();
    if (HasFatalFailure()) return;
    in = WriteSignal("in.wav", 48000, 1, 0.25);
    const RunResult r = Render({"--quiet", in, dir / "ref.wav"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_TRUE(ReadAudio(dir / "ref.wav", &reference));
    unlink((dir / "ref.wav").c_str());
  }

  // Bytes parsed as an audio file, through a scratch file.
  Audio Parse(const std::string& bytes)
  {
    const std::string path = scratch / "parsed.wav";
    WriteText(path, bytes);
    Audio a;
    EXPECT_TRUE(ReadAudio(path, &a));
    return a;
  }

  int MajorFormat(const std::string& path)
  {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return 0;
    sf_close(f);
    return info.format;
  }

  TempDir scratch;
  std::string in;
  Audio reference;
};

}  // namespace

// A FIFO replaced by a regular file would cut off the program reading it.
TEST_F(RenderOutputTest, FifoOutputStaysAFifoAndCarriesTheWav)
{
  const std::string fifo = dir / "pipe.wav";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    const int fd = open(fifo.c_str(), O_RDONLY);
    char buf[65536];
    ssize_t n;
    while (fd >= 0 && (n = read(fd, buf, sizeof(buf))) > 0) received.append(buf, (size_t)n);
    if (fd >= 0) close(fd);
  });
  const RunResult r = Render({"--quiet", in, fifo});
  reader.join();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  struct stat st;
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  // A pipe cannot seek, so the header is written first with the input's length.
  EXPECT_EQ(MaxDifference(Parse(received), reference), 0.0f);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"in.wav", "pipe.wav"}));
}

// Run as root against /dev/null, a replacing rename would destroy the device
// node; a private null device stands in for it.
TEST_F(RenderOutputTest, CharacterDeviceOutputIsWrittenNotReplaced)
{
  const std::string node = dir / "null";
  if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "making a device node needs root";
  const RunResult r = Render({"--quiet", in, node});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  struct stat st;
  ASSERT_EQ(lstat(node.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"in.wav", "null"}));
}

TEST_F(RenderOutputTest, DashWritesTheWavToStandardOutputAndReadsStandardInput)
{
  const RunResult r = Render({in, "-"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(MaxDifference(Parse(r.out), reference), 0.0f);
  // The summary moves out of the audio's way.
  EXPECT_EQ(r.err.rfind("standard output: 12000 frames", 0), 0u) << r.err;
  const RunResult piped = Render({"--quiet", "-", dir / "from-stdin.wav"}, in);
  ASSERT_EQ(piped.exitCode, 0) << piped.err;
  Audio a;
  ASSERT_TRUE(ReadAudio(dir / "from-stdin.wav", &a));
  EXPECT_EQ(MaxDifference(a, reference), 0.0f);
}

// The usual way to hand audio to another program; /dev/stdout is a link to
// a pipe without a name, which only opening it reaches.
TEST_F(RenderOutputTest, PipeToAnotherProgramCarriesTheWav)
{
  for (const char* output : {"-", "/dev/stdout"})
  {
    const std::string command = RenderTool() + " --quiet '" + in + "' " + output;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string received;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), pipe)) > 0) received.append(buf, n);
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_EQ(MaxDifference(Parse(received), reference), 0.0f) << output;
  }
}

// Renaming over the link itself would turn it into a file and leave the
// target stale.
TEST_F(RenderOutputTest, SymbolicLinkOutputReplacesItsTarget)
{
  ASSERT_EQ(mkdir((dir / "takes").c_str(), 0755), 0);
  WriteText(dir / "takes/real.wav", "old take");
  ASSERT_EQ(symlink("takes/real.wav", (dir / "link.wav").c_str()), 0);
  const RunResult r = Render({"--quiet", in, dir / "link.wav"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  struct stat st;
  ASSERT_EQ(lstat((dir / "link.wav").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  Audio a;
  ASSERT_TRUE(ReadAudio(dir / "takes/real.wav", &a));
  EXPECT_EQ(MaxDifference(a, reference), 0.0f);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"in.wav", "link.wav", "takes"}));
  // A link to nothing yet creates what it points at.
  ASSERT_EQ(symlink("takes/new.wav", (dir / "dangling.wav").c_str()), 0);
  ASSERT_EQ(Render({"--quiet", in, dir / "dangling.wav"}).exitCode, 0);
  ASSERT_TRUE(ReadAudio(dir / "takes/new.wav", &a));
  EXPECT_EQ(MaxDifference(a, reference), 0.0f);
}

// A write-protected file is the user saying "keep this"; tests run as root
// too, where only the file's mode says so.
TEST_F(RenderOutputTest, WriteProtectedOutputIsRefusedUnlessForced)
{
  const std::string out = dir / "keep.wav";
  WriteText(out, "precious");
  ASSERT_EQ(chmod(out.c_str(), 0444), 0);
  const RunResult r = Render({"--quiet", in, out});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
  EXPECT_EQ(ReadText(out), "precious");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"in.wav", "keep.wav"}));

  ASSERT_EQ(Render({"--quiet", "--force", in, out}).exitCode, 0);
  Audio a;
  ASSERT_TRUE(ReadAudio(out, &a));
  EXPECT_EQ(MaxDifference(a, reference), 0.0f);
  struct stat st;
  ASSERT_EQ(stat(out.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

// Root rendering into a user's file must leave it the user's.
TEST_F(RenderOutputTest, ReplacedOutputKeepsItsOwner)
{
  if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
  const std::string out = dir / "theirs.wav";
  WriteText(out, "old take");
  ASSERT_EQ(chown(out.c_str(), 4321, 4322), 0);
  ASSERT_EQ(Render({"--quiet", in, out}).exitCode, 0);
  struct stat st;
  ASSERT_EQ(stat(out.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4321u);
  EXPECT_EQ(st.st_gid, 4322u);
}

// The staging name adds characters; names near the file system's limit of
// 255 must still work.
TEST_F(RenderOutputTest, OutputNamesUpToTheLimitWork)
{
  for (size_t length : {248u, 255u})
  {
    const std::string name = std::string(length - 4, 'n') + ".wav";
    const RunResult r = Render({"--quiet", in, dir / name});
    ASSERT_EQ(r.exitCode, 0) << length << ": " << r.err;
    Audio a;
    ASSERT_TRUE(ReadAudio(dir / name, &a));
    EXPECT_EQ(MaxDifference(a, reference), 0.0f);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"in.wav", name}));
    unlink((dir / name).c_str());
  }
}

// An unknown extension once gave a float WAV under a misleading name.
TEST_F(RenderOutputTest, UnknownExtensionIsACommandLineError)
{
  const RunResult r = Render({in, dir / "out.xyz"});
  EXPECT_EQ(r.exitCode, 2);
  for (const char* text : {"\".xyz\"", "wav", "flac", "aiff", "--format"})
    EXPECT_NE(r.err.find(text), std::string::npos) << text << ": " << r.err;
  EXPECT_FALSE(Exists(dir / "out.xyz"));
  // --format chooses whatever the name says.
  ASSERT_EQ(Render({"--quiet", "--format", "FLAC", in, dir / "out.xyz"}).exitCode, 0);
  EXPECT_EQ(MajorFormat(dir / "out.xyz") & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
}

TEST_F(RenderOutputTest, LossyExtensionsWriteTheirOwnFormat)
{
  struct Case
  {
    const char* name;
    int format;
  };
  for (const Case& c : {Case{"out.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
                        Case{"out.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS}, Case{"out.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}})
  {
    if (!CanWriteFormat(c.format)) continue;
    const RunResult r = Render({"--quiet", in, dir / c.name});
    ASSERT_EQ(r.exitCode, 0) << c.name << ": " << r.err;
    EXPECT_EQ(MajorFormat(dir / c.name), c.format) << c.name;
  }
}

// Integer and lossy formats clip beyond full scale; the user hears it, so
// the program says it, with the count a float render of the same settings shows.
TEST_F(RenderOutputTest, ClippedSamplesAreCountedInAWarning)
{
  const std::vector<std::string> loud = {"--quiet", "--preset", "Clean", "--set", "Level=1", in};
  std::vector<std::string> args = loud;
  args.push_back(dir / "loud.wav");
  const RunResult floatRun = Render(args);
  ASSERT_EQ(floatRun.exitCode, 0) << floatRun.err;
  EXPECT_TRUE(floatRun.err.empty()) << floatRun.err;
  Audio a;
  ASSERT_TRUE(ReadAudio(dir / "loud.wav", &a));
  long over = 0;
  for (float v : a.samples) over += std::fabs(v) > 1.0f;
  ASSERT_GT(over, 0);
  char expected[160];
  snprintf(expected, sizeof(expected), "orvanta-render: warning: %ld samples clipped at full scale in %s (peak %+.1f dBFS)",
           over, (dir / "loud.flac").c_str(), 20 * std::log10(Peak(a)));
  args.back() = dir / "loud.flac";
  const RunResult flac = Render(args);
  ASSERT_EQ(flac.exitCode, 0) << flac.err;
  EXPECT_EQ(flac.err.rfind(expected, 0), 0u) << flac.err;
  EXPECT_EQ(std::count(flac.err.begin(), flac.err.end(), '\n'), 1) << flac.err;
}
