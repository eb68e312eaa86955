#pragma once

#include "graphics/IControl.h"

#include <vector>

// Analysis windows of the graph; the table holds each shape squared.
enum EFFTWindow : int
{
  kWindowRectangular = 0,
  kWindowBlackman = 1,
  kWindowBlackmanHarris = 2,
  kWindowHamming = 3,
  kWindowHann = 4,
  kWindowSine = 5,
  kWindowSineCubed = 6,
  kWindowHannSquared = 7
};

// Plots the magnitude spectrum of a block of samples pushed from the plug-in
// (typically an impulse response) across its rectangle: window, radix-2 FFT,
// resampling onto a logarithmic frequency axis, decibels, pixels and, in
// display mode 0, a curve that falls slowly and rises quickly. It follows no
// parameter and is always dirty.
class IFreqResponseGraph : public IControl
{
public:
  static constexpr int kMaxWidth = 1024;
  static constexpr int kMinFFTSize = 4;
  static constexpr int kMaxFFTSize = 1 << 16;

  // A size that is not a power of two from 4 to 65536 becomes the next one
  // within that range; a rectangle wider than kMaxWidth plots its first
  // kMaxWidth columns.
  IFreqResponseGraph(IFxBase* pPlug, IColor color, IRECT pR, int fftSize = 1024,
                     EFFTWindow window = kWindowRectangular);

  // Editor thread; allocates. Set-up calls: values that make no sense are
  // refused (false) and change nothing.
  void SetWindow(EFFTWindow window);
  bool SetFFTSize(int n);
  bool SetSRate(double sampleRate);
  bool SetScale(double lowest, double highest, double dBRange, double dBOffset);
  // 0 = smoothed, any other value = raw.
  void SetDisplayMode(int mode) { mDisplayMode = mode; }

  // Editor thread (the plug-in pushes from its idle); no lock, no allocation.
  // Analyses FFTSize() samples. All-zero input keeps the previous gain.
  void SetDataFromPlug(const double* samples);
  // 1 / the largest magnitude of the last analysis with any signal.
  double GetIRGain() const { return mIRGain; }

  // In place radix-2 FFT of 2^log2n points; direction -1 is the forward
  // transform (unscaled), any other the inverse (scaled by 1/n). No lock, no
  // allocation.
  static void fft(double* re, double* im, int log2n, int direction);
  // Four-point Catmull-Rom of a at position q; indices are clamped to [0, n).
  static double CubicInterpolate(const double* a, int n, double q);
  // The window's table value at k of n.
  static double WindowValue(EFFTWindow window, int k, int n);

  // Editor thread; no lock, no allocation. Always true.
  bool IsDirty() override { return true; }
  // Editor thread; no lock, no allocation.
  void OnMouseOver(int x, int y, IMouseMod* pMod) override;
  // Editor thread; no lock, no allocation.
  void OnMouseOut() override;
  // Editor thread, inside the drawing pass; may allocate (the font on first
  // use of the readout).
  bool Draw(IGraphics* pGraphics) override;

  // The frequency and level under the pointer, as two lines. False when the
  // pointer is not over the graph.
  bool GetReadout(char* text, int size) const;

  int FFTSize() const { return mFFTSize; }
  int PlotWidth() const { return mPlotW; }
  double SampleRate() const { return mSampleRate; }
  const double* DisplayPoints() const { return mPoints.data(); }
  const double* Magnitudes() const { return mMag.data(); }
  const double* Window() const { return mWindowTable.data(); }
  // The frequency that column x of the plot shows.
  double ColumnFrequency(double x) const;

protected:
  void UpdateScale();

  double mIRGain = 1.0;
  EFFTWindow mWindow;
  int mW, mH, mL, mT;
  int mPlotW;
  int mFFTSize = 0;
  double mSampleRate = 44100.0;
  double mLowest = 20.0, mHighest = 20480.0;
  double mDBRange = 80.0, mDBOffset = 30.0;
  IColor mColor;
  std::vector<double> mWindowTable, mMag, mLogMag, mPoints;
  // Work arrays of the transform, kept so that an analysis never allocates.
  std::vector<double> mRe, mIm;
  double mSmooth[kMaxWidth] = {};
  int mDisplayMode = 0;
  int mMouseX = 0, mMouseY = 0;
  bool mMouseOver = false;
  double mOctaves = 0.0, mDecades = 0.0, mLogLowest = 0.0;
};
