// orvanta-phrase: synthesises a short, clean electric-guitar-like phrase (a
// plucked-string model) so the demo has something to play through the amp
// without downloading recordings.
//
//   orvanta-phrase [--rate HZ] [--seconds S] OUTPUT.wav

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Karplus-Strong string with a two-point averaging loop filter, a fractional
// delay for tuning, a pick-position comb on the excitation and a gentle
// pickup high-pass: enough to sound like a clean single-coil guitar.
class PluckedString
{
public:
  PluckedString(double rate, double freq, double decay, unsigned seed)
    : mRng(seed)
  {
    const double period = rate / freq - 0.5;
    mLen = (int)period;
    mFrac = period - mLen;
    mLine.assign((size_t)mLen + 2, 0.0);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<double> burst((size_t)mLen + 2);
    for (double& s : burst) s = u(mRng);
    // Pluck about a fifth of the way along the string.
    const int pick = std::max(1, mLen / 5);
    for (int i = 0; i < mLen + 2; ++i) mLine[(size_t)i] = burst[(size_t)i] - (i >= pick ? burst[(size_t)(i - pick)] : 0.0);
    mDecay = decay;
  }

  double Tick()
  {
    const size_t n = mLine.size();
    const double a = mLine[mPos];
    const double b = mLine[(mPos + 1) % n];
    const double out = a + mFrac * (b - a);
    const double next = mDecay * 0.5 * (a + b);
    mLine[mPos] = next;
    mPos = (mPos + 1) % n;
    return out;
  }

private:
  std::mt19937 mRng;
  std::vector<double> mLine;
  size_t mPos = 0;
  int mLen = 0;
  double mFrac = 0.0;
  double mDecay = 0.996;
};

struct Note
{
  double start;   // seconds
  double midi;    // MIDI note number
  double length;  // seconds the note rings before it is damped
  double gain;
};

double MidiToHz(double m) { return 440.0 * std::pow(2.0, (m - 69.0) / 12.0); }

int Usage(int code)
{
  fprintf(code ? stderr : stdout,
          "usage: orvanta-phrase [--rate HZ] [--seconds S] OUTPUT.wav\n"
          "Writes a clean, guitar-like phrase (mono, 32-bit float) for the demo.\n");
  return code;
}

}  // namespace

int main(int argc, char** argv)
{
  int rate = 48000;
  double seconds = 8.0;
  const char* out = nullptr;
  for (int i = 1; i < argc; ++i)
  {
    if (!strcmp(argv[i], "--help") || !strcmp(argv[i], "-h")) return Usage(0);
    if (!strcmp(argv[i], "--rate") && i + 1 < argc)
    {
      rate = atoi(argv[++i]);
      if (rate < 8000 || rate > 384000)
      {
        fprintf(stderr, "orvanta-phrase: rate must be between 8000 and 384000 Hz\n");
        return 2;
      }
    }
    else if (!strcmp(argv[i], "--seconds") && i + 1 < argc)
    {
      seconds = atof(argv[++i]);
      if (!(seconds > 0.5 && seconds <= 600.0))
      {
        fprintf(stderr, "orvanta-phrase: seconds must be in (0.5, 600]\n");
        return 2;
      }
    }
    else if (argv[i][0] == '-')
      return Usage(2);
    else if (!out)
      out = argv[i];
    else
      return Usage(2);
  }
  if (!out) return Usage(2);

  // A blues-flavoured riff in E: single notes, then two power chords that ring.
  const std::vector<Note> riff = {
    {0.00, 40, 0.45, 1.0}, {0.50, 43, 0.45, 0.9}, {1.00, 45, 0.45, 0.9}, {1.50, 46, 0.20, 0.8},
    {1.75, 45, 0.45, 0.9}, {2.25, 43, 0.45, 0.9}, {2.75, 40, 0.90, 1.0},
    {3.75, 40, 1.80, 0.8}, {3.76, 47, 1.80, 0.7}, {3.77, 52, 1.80, 0.6},
    {5.75, 45, 2.20, 0.8}, {5.76, 52, 2.20, 0.7}, {5.77, 57, 2.20, 0.6},
  };

  const long frames = (long)(seconds * rate);
  std::vector<float> mix((size_t)frames, 0.0f);
  unsigned seed = 1234;
  // Longer phrases repeat the riff, so every second of a long file is played.
  const double riffLength = 8.0;
  for (double bar = 0.0; bar < seconds; bar += riffLength)
  {
    for (const Note& n : riff)
    {
      const long start = (long)((bar + n.start) * rate);
      if (start >= frames) continue;
      PluckedString s(rate, MidiToHz(n.midi), 0.9985, seed++);
      const long ring = (long)(n.length * rate);
      const long release = rate / 20;
      for (long i = 0; start + i < frames && i < ring + release; ++i)
      {
        double env = 1.0;
        if (i > ring) env = 1.0 - (double)(i - ring) / release;
        mix[(size_t)(start + i)] += (float)(0.25 * n.gain * env * s.Tick());
      }
    }
  }
  // Pickup and cable: a one-pole high-pass at about 80 Hz removes the
  // excitation's offset.
  const double hp = std::exp(-2.0 * M_PI * 80.0 / rate);
  double x1 = 0.0, y1 = 0.0;
  float peak = 0.0f;
  for (float& v : mix)
  {
    const double y = hp * (y1 + v - x1);
    x1 = v;
    y1 = y;
    v = (float)y;
    peak = std::max(peak, std::fabs(v));
  }
  if (peak > 0.0f)
    for (float& v : mix) v *= 0.5f / peak;

  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* f = sf_open(out, SFM_WRITE, &info);
  if (!f)
  {
    fprintf(stderr, "orvanta-phrase: cannot write %s: %s\n", out, sf_strerror(nullptr));
    return 1;
  }
  const sf_count_t written = sf_writef_float(f, mix.data(), frames);
  sf_close(f);
  if (written != frames)
  {
    fprintf(stderr, "orvanta-phrase: short write to %s\n", out);
    remove(out);
    return 1;
  }
  return 0;
}
