#pragma once

#include "effect/AuDSP.h"
#include "effect/BiquadPair.h"

#include <utility>

// The amp's per-frame chain, laid out for speed.
//
// The chain is a long series of recursive filters: one frame is a dependency
// chain several hundred cycles long, far more than the processor can look
// ahead, so a frame-after-frame loop waits on latency. The pipes below cut
// the chain into segments of similar latency and run them skewed: during
// iteration i, segment k works on an older frame (i - k, or later for the
// second lane of the tail), so the segments of one iteration are independent.
// That independence also lets two biquads of different segments share one
// vector instruction (BiquadPair). Every filter still sees its own input
// frames in order, so the output is bit for bit that of running each frame
// through the whole chain before the next.
//
// Segments run last to first within an iteration, so each pipeline register
// is read (for its older frame) before it is overwritten. Iterations whose
// segments reach outside the block (the first and last kDepth - 1) run
// guarded: idle segments skip their work, idle lanes keep their state. Which
// segments are idle is known at compile time for those iterations (a window
// type), except in blocks too short to fill the pipe (a run-time window).
//
// Slots follow the effect's filter plan: biquads 0 pre-filter; 1, 2 and
// one-poles 0 TubeScreamerA/C; 3, 4, 5 DriveA; one-poles 1, 2 TubeScreamerB;
// 8, 10 tone; 11..18 Cab; 19, 20, 21 CleanA.

struct OrvantaPipeIo {
  const double* in0;
  const double* in1;
  const double* noise;
  double* out0;
  double* out1;
  int nFrames;

  bool Has(int frame) const { return static_cast<unsigned>(frame) < static_cast<unsigned>(nFrames); }
  double Input(int frame) const { return in0[frame] + in1[frame] + noise[frame]; }
  void Output(int frame, double y) const {
    out0[frame] = y;
    out1[frame] = y;
  }
};

// An iteration whose working frame delays (d: frame i - d) are Lo..Hi.
template <int Lo, int Hi>
struct FixedWindow {
  static constexpr bool kFixed = true;
  static constexpr bool On(int d) { return Lo <= d && d <= Hi; }
  static constexpr bool Active(const OrvantaPipeIo&, int, int d) { return On(d); }
};

// An iteration of a block too short to fill the pipe: asks the block.
struct RuntimeWindow {
  static constexpr bool kFixed = false;
  static bool Active(const OrvantaPipeIo& io, int i, int d) { return io.Has(i - d); }
};

// Runs one pair whose lanes work on frames i - DelayA and i - DelayB; lanes
// outside the window keep their state, a pair with no lane in it is skipped.
template <int DelayA, int DelayB, class Window>
ORVANTA_ALWAYS_INLINE Dbl2 runPair(BiquadPair& pair, Dbl2 v, const OrvantaPipeIo& io, int i) {
  if constexpr (Window::kFixed) {
    constexpr bool a = Window::On(DelayA), b = Window::On(DelayB);
    if constexpr (a && b)
      return pair.Process(v);
    else if constexpr (a || b)
      return pair.Process(v, Lane2{a ? -1 : 0, b ? -1 : 0});
    else
      return v;
  } else {
    return pair.Process(v, Lane2{io.Has(i - DelayA) ? -1 : 0, io.Has(i - DelayB) ? -1 : 0});
  }
}

// Tone section and Cab, shared by both channels. Ten biquads in series,
// folded onto two lanes: lane A runs 8, 10, 11, 12, 13 and lane B 14 .. 18,
// taking lane A's output one iteration later. Segment 3 works on frames
// (i - 3 | i - 5), segment 4 on (i - 4 | i - 6).
struct ToneCabPipe {
  BiquadPair pairs[5];
  Dbl2 seg3 = dbl2(0.0);
  Dbl2 seg4 = dbl2(0.0);

  static constexpr int kLaneA[5] = {8, 10, 11, 12, 13};
  static constexpr int kLaneB[5] = {14, 15, 16, 17, 18};

  void Load(const AuDSP& d) {
    for (int k = 0; k < 5; ++k)
      pairs[k].Load(d, kLaneA[k], kLaneB[k]);
  }
  void Store(AuDSP& d) const {
    for (int k = 0; k < 5; ++k)
      pairs[k].Store(d, kLaneA[k], kLaneB[k]);
  }

  // m: the level-scaled amp output of frame i - 3. Writes frame i - 6.
  template <class Window>
  ORVANTA_ALWAYS_INLINE void Step(const OrvantaPipeIo& io, int i, double m) {
    const double cab13 = seg4[0];
    Dbl2 v = runPair<4, 6, Window>(pairs[3], seg3, io, i);
    v = runPair<4, 6, Window>(pairs[4], v, io, i);
    seg4 = v;
    if (Window::Active(io, i, 6))
      io.Output(i - 6, v[1]);

    Dbl2 w = runPair<3, 5, Window>(pairs[0], Dbl2{m, cab13}, io, i);
    w = runPair<3, 5, Window>(pairs[1], w, io, i);
    seg3 = runPair<3, 5, Window>(pairs[2], w, io, i);
  }
};

// Dirty channel: s = DriveA(x) + TubeScreamerA(a) + TubeScreamerB(a), a the
// pre-filtered input, then level, tone and Cab.
struct DirtyPipe {
  static constexpr int kDepth = 7;

  BiquadPair front;  // 0 pre-filter | 3 DriveA high-pass
  BiquadPair mid;    // 1 TubeScreamerA low-pass | 4 DriveA low-pass
  BiquadPair back;   // 2 TubeScreamerA shelf | 5 DriveA shelf
  OnePoleCopy screamerAHighPass, screamerALowPass;
  OnePoleCopy screamerBLowPass1, screamerBHighPass1, screamerBLowPass2, screamerBHighPass2;
  ToneCabPipe tail;
  Dbl2 clipDrive;  // TubeScreamerA | DriveA
  double screamerBDrive;
  double levelGain;

  Dbl2 seg0 = dbl2(0.0);   // a | DriveA high-passed
  Dbl2 seg1 = dbl2(0.0);   // TubeScreamerA clipped sum | DriveA clipped
  double seg1B = 0.0;      // TubeScreamerB after its first clip
  double seg2 = 0.0;       // s x level gain

  DirtyPipe(const AuDSP& d, double driveAmount, double level)
      : screamerAHighPass(OnePoleCopy::HighPassSlot(d, 0)), screamerALowPass(OnePoleCopy::LowPassSlot(d, 0)),
        screamerBLowPass1(OnePoleCopy::LowPassSlot(d, 1)), screamerBHighPass1(OnePoleCopy::HighPassSlot(d, 1)),
        screamerBLowPass2(OnePoleCopy::LowPassSlot(d, 2)), screamerBHighPass2(OnePoleCopy::HighPassSlot(d, 2)),
        clipDrive(Dbl2{32.4, driveAmount * 500.0}), screamerBDrive(driveAmount * 75.0 + 3.0), levelGain(level) {
    front.Load(d, 0, 3);
    mid.Load(d, 1, 4);
    back.Load(d, 2, 5);
    tail.Load(d);
  }

  void Store(AuDSP& d) const {
    front.Store(d, 0, 3);
    mid.Store(d, 1, 4);
    back.Store(d, 2, 5);
    d.hpZ[0] = screamerAHighPass.z;
    d.lpZ[0] = screamerALowPass.z;
    d.lpZ[1] = screamerBLowPass1.z;
    d.hpZ[1] = screamerBHighPass1.z;
    d.lpZ[2] = screamerBLowPass2.z;
    d.hpZ[2] = screamerBHighPass2.z;
    tail.Store(d);
  }

  template <class Window>
  ORVANTA_ALWAYS_INLINE void Step(const OrvantaPipeIo& io, int i) {
    tail.Step<Window>(io, i, seg2);
    if (Window::Active(io, i, 2)) {
      // TubeScreamerA low-pass and shelf | DriveA shelf.
      const double t4 = screamerALowPass.LowPass(seg1[0]);
      const Dbl2 v = back.Process(Dbl2{t4, seg1[1]});
      // TubeScreamerB: second clip, then a low-pass less a little high-pass.
      double d2 = 0.0;
      AuDSP::distortion2(seg1B, 0.5, 1.0, d2);
      const double l = screamerBLowPass2.LowPass(d2);
      const double h = screamerBHighPass2.HighPass(d2);
      const double tubeScreamerB = (h * -0.07 + l) * 0.6;
      const double driveA = v[1] * 2.55;
      seg2 = (driveA + v[0] + tubeScreamerB) * levelGain;
    }
    if (Window::Active(io, i, 1)) {
      // TubeScreamerA: high-passed clip added back | DriveA clip.
      const Dbl2 v = mid.Process(seg0);
      const double t2 = screamerAHighPass.HighPass(v[0]);
      const Dbl2 d = distortion2Pair(Dbl2{t2, v[1]}, 0.5, clipDrive, dbl2(0.0));
      seg1 = Dbl2{v[0] + d[0], d[1]};
      // TubeScreamerB: low-pass, high-pass, first clip.
      const double u2 = screamerBHighPass1.HighPass(screamerBLowPass1.LowPass(seg0[0]));
      double d1 = 0.0;
      AuDSP::distortion2(u2, 0.5, screamerBDrive, d1);
      seg1B = d1;
    }
    if (Window::Active(io, i, 0))
      seg0 = front.Process(dbl2(io.Input(i)));
  }
};

// Clean channel: s = TubeScreamerC(a) + CleanA(x), then level, tone and Cab.
struct CleanPipe {
  static constexpr int kDepth = 7;

  BiquadPair front;  // 0 pre-filter | 19 CleanA high-pass
  BiquadPair mid;    // 1 TubeScreamerC low-pass | 20 CleanA low-pass
  BiquadPair back;   // 2 TubeScreamerC shelf | 21 CleanA shelf
  OnePoleCopy screamerHighPass, screamerLowPass;
  ToneCabPipe tail;
  double screamerDrive;
  double levelGain;

  Dbl2 seg0 = dbl2(0.0);  // a | CleanA low-passed
  Dbl2 seg1 = dbl2(0.0);  // TubeScreamerC clipped sum | CleanA low-passed
  double seg2 = 0.0;      // s x level gain

  CleanPipe(const AuDSP& d, double driveAmount, double level)
      : screamerHighPass(OnePoleCopy::HighPassSlot(d, 0)), screamerLowPass(OnePoleCopy::LowPassSlot(d, 0)),
        screamerDrive(driveAmount * 3.8 + 1.0), levelGain(level) {
    front.Load(d, 0, 19);
    mid.Load(d, 1, 20);
    back.Load(d, 2, 21);
    tail.Load(d);
  }

  void Store(AuDSP& d) const {
    front.Store(d, 0, 19);
    mid.Store(d, 1, 20);
    back.Store(d, 2, 21);
    d.hpZ[0] = screamerHighPass.z;
    d.lpZ[0] = screamerLowPass.z;
    tail.Store(d);
  }

  template <class Window>
  ORVANTA_ALWAYS_INLINE void Step(const OrvantaPipeIo& io, int i) {
    tail.Step<Window>(io, i, seg2);
    if (Window::Active(io, i, 2)) {
      // TubeScreamerC low-pass, shelf, x3 | CleanA shelf, x10.
      const double t4 = screamerLowPass.LowPass(seg1[0]);
      const Dbl2 v = back.Process(Dbl2{t4, seg1[1]});
      const double tubeScreamerC = v[0] * 3.0;
      const double cleanA = v[1] * 10.0;
      seg2 = (tubeScreamerC + cleanA) * levelGain;
    }
    if (Window::Active(io, i, 1)) {
      // TubeScreamerC: high-passed clip added back | CleanA passes through.
      const Dbl2 v = mid.Process(seg0);
      const double t2 = screamerHighPass.HighPass(v[0]);
      double d = 0.0;
      AuDSP::distortion2(t2, 0.5, screamerDrive, d);
      seg1 = Dbl2{v[0] + d, v[1]};
    }
    if (Window::Active(io, i, 0))
      seg0 = front.Process(dbl2(io.Input(i)));
  }
};

// Runs nFrames through a pipe: a warm-up, the steady loop, and a drain, after
// which every filter has seen exactly nFrames frames.
template <class Pipe, int... I>
ORVANTA_ALWAYS_INLINE void warmUpOrvantaPipe(Pipe& pipe, const OrvantaPipeIo& io, std::integer_sequence<int, I...>) {
  (pipe.template Step<FixedWindow<0, I>>(io, I), ...);
}

template <class Pipe, int... J>
ORVANTA_ALWAYS_INLINE void drainOrvantaPipe(Pipe& pipe, const OrvantaPipeIo& io, std::integer_sequence<int, J...>) {
  (pipe.template Step<FixedWindow<J + 1, Pipe::kDepth - 1>>(io, io.nFrames + J), ...);
}

template <class Pipe>
inline void runOrvantaPipe(Pipe& pipe, const OrvantaPipeIo& io) {
  constexpr int depth = Pipe::kDepth;
  const int n = io.nFrames;
  if (n < depth - 1) {
    for (int i = 0; i < n + depth - 1; ++i)
      pipe.template Step<RuntimeWindow>(io, i);
    return;
  }
  warmUpOrvantaPipe(pipe, io, std::make_integer_sequence<int, depth - 1>());
  for (int i = depth - 1; i < n; ++i)
    pipe.template Step<FixedWindow<0, depth - 1>>(io, i);
  drainOrvantaPipe(pipe, io, std::make_integer_sequence<int, depth - 1>());
}
