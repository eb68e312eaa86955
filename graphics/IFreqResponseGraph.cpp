#include "graphics/IFreqResponseGraph.h"

#include "graphics/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
bool IsPowerOfTwo(int n)
{
  return n > 0 && (n & (n - 1)) == 0;
}

int ValidFFTSize(int n)
{
  int size = IFreqResponseGraph::kMinFFTSize;
  while (size < n && size < IFreqResponseGraph::kMaxFFTSize) size <<= 1;
  return size;
}

int Log2(int n)
{
  int m = 0;
  while ((1 << m) < n) ++m;
  return m;
}
} // namespace

IFreqResponseGraph::IFreqResponseGraph(IFxBase* pPlug, IColor color, IRECT pR, int fftSize, EFFTWindow window)
  : IControl(pPlug, pR), mWindow(window), mW(pR.W()), mH(std::max(pR.H(), 0)), mL(pR.L), mT(pR.T),
    mPlotW(std::clamp(pR.W(), 0, kMaxWidth)), mColor(color)
{
  mText = IText(10, nullptr, "Monaco", IText::kStyleNormal, IText::kAlignNear);
  mPoints.assign(mPlotW, 0.0);
  UpdateScale();
  SetFFTSize(ValidFFTSize(fftSize));
}

void IFreqResponseGraph::UpdateScale()
{
  mOctaves = std::log2(mHighest) - std::log2(mLowest);
  mDecades = mOctaves * std::log10(2.0);
  mLogLowest = std::log10(mLowest);
}

double IFreqResponseGraph::WindowValue(EFFTWindow window, int k, int n)
{
  const double m = n > 1 ? n - 1 : 1;
  const double a = 2.0 * M_PI * k / m;
  double c;
  switch (window)
  {
    case kWindowRectangular: return 1.0;
    case kWindowBlackman: c = 0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(2.0 * a); break;
    case kWindowBlackmanHarris:
    {
      const double b = 2.0 * M_PI * (k + 0.5) / m;
      c = 0.35875 - 0.48829 * std::cos(b) + 0.14128 * std::cos(2.0 * b) - 0.01168 * std::cos(3.0 * b);
      break;
    }
    case kWindowHamming: c = 0.54 - 0.46 * std::cos(a); break;
    case kWindowHann: c = (1.0 - std::cos(a)) * 0.5; break;
    case kWindowSineCubed: c = std::pow(std::sin(M_PI * k / m), 3.0); break;
    case kWindowHannSquared: c = std::pow((1.0 - std::cos(a)) * 0.5, 2.0); break;
    default: c = std::sin(M_PI * k / m); break;
  }
  return c * c;
}

void IFreqResponseGraph::SetWindow(EFFTWindow window)
{
  mWindow = window;
  mWindowTable.assign(mFFTSize, 0.0);
  for (int k = 0; k < mFFTSize; ++k) mWindowTable[k] = WindowValue(window, k, mFFTSize);
}

bool IFreqResponseGraph::SetFFTSize(int n)
{
  if (n < kMinFFTSize || n > kMaxFFTSize || !IsPowerOfTwo(n)) return false;
  mFFTSize = n;
  mMag.assign(n, 0.0);
  mLogMag.assign(n, 0.0);
  mRe.assign(n, 0.0);
  mIm.assign(n, 0.0);
  SetWindow(mWindow);
  return true;
}

bool IFreqResponseGraph::SetSRate(double sampleRate)
{
  if (!std::isfinite(sampleRate) || sampleRate <= 0.0) return false;
  mSampleRate = sampleRate;
  return true;
}

bool IFreqResponseGraph::SetScale(double lowest, double highest, double dBRange, double dBOffset)
{
  if (!std::isfinite(lowest) || !std::isfinite(highest) || lowest <= 0.0 || highest <= lowest) return false;
  if (!std::isfinite(dBRange) || dBRange <= 0.0 || !std::isfinite(dBOffset)) return false;
  mLowest = lowest;
  mHighest = highest;
  mDBRange = dBRange;
  mDBOffset = dBOffset;
  UpdateScale();
  return true;
}

void IFreqResponseGraph::fft(double* re, double* im, int log2n, int direction)
{
  const int n = 1 << log2n;
  for (int s = 1; s <= log2n; ++s)
  {
    const int span = 1 << (log2n - s + 1);
    const int half = span / 2;
    const double theta = M_PI / half;
    const double rotRe = std::cos(theta);
    const double rotIm = direction == -1 ? -std::sin(theta) : std::sin(theta);
    double wRe = 1.0, wIm = 0.0;
    for (int j = 1; j <= half; ++j)
    {
      for (int i = j - 1; i < n; i += span)
      {
        const int p = i + half;
        const double sumRe = re[i] + re[p], sumIm = im[i] + im[p];
        const double dRe = re[i] - re[p], dIm = im[i] - im[p];
        re[i] = sumRe;
        im[i] = sumIm;
        re[p] = dRe * wRe - dIm * wIm;
        im[p] = dRe * wIm + dIm * wRe;
      }
      const double t = wRe * rotRe - wIm * rotIm;
      wIm = wRe * rotIm + wIm * rotRe;
      wRe = t;
    }
  }
  for (int i = 1, j = 0; i < n; ++i)
  {
    int bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j)
    {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
  if (direction != -1)
  {
    const double scale = 1.0 / n;
    for (int i = 0; i < n; ++i)
    {
      re[i] *= scale;
      im[i] *= scale;
    }
  }
}

double IFreqResponseGraph::CubicInterpolate(const double* a, int n, double q)
{
  if (n <= 0) return 0.0;
  // Positions past either end read the end entry.
  if (!(q < n - 1)) return a[n - 1];
  if (q < 0.0) q = 0.0;
  const double g = std::floor(q);
  const double t = q - g;
  const int j = std::max((int)g, 1);
  auto at = [&](int i) { return a[std::clamp(i, 0, n - 1)]; };
  const double p0 = at(j - 1), p1 = at(j), p2 = at(j + 1), p3 = at(j + 2);
  const double c1 = (p2 - p0) * 0.5;
  const double c2 = p0 - 2.5 * p1 + 2.0 * p2 - 0.5 * p3;
  const double c3 = 1.5 * (p1 - p2) + 0.5 * (p3 - p0);
  return ((c3 * t + c2) * t + c1) * t + p1;
}

void IFreqResponseGraph::SetDataFromPlug(const double* samples)
{
  if (!samples || mFFTSize < kMinFFTSize) return;
  const int n = mFFTSize, half = n / 2;
  double* re = mRe.data();
  double* im = mIm.data();
  for (int k = 0; k < n; ++k)
  {
    re[k] = samples[k] * mWindowTable[k];
    im[k] = 0.0;
  }
  fft(re, im, Log2(n), -1);

  double largest = 0.0;
  for (int k = 0; k < half; ++k)
  {
    mMag[k] = std::sqrt(re[k] * re[k] + im[k] * im[k]);
    if (mMag[k] > largest) largest = mMag[k];
  }
  if (largest > 0.0 && std::isfinite(largest)) mIRGain = 1.0 / largest;

  const double binsPerHz = half / (mSampleRate * 0.5);
  for (int i = 0; i < half; ++i)
  {
    const double f = std::pow(10.0, (double)i / half * mDecades + mLogLowest);
    mLogMag[i] = CubicInterpolate(mMag.data(), half, f * binsPerHz);
  }

  const double slow = std::exp(-1.0 / (0.3 * mH));
  const double fast = std::exp(-1.0 / (0.03 * mH));
  const double h = mH;
  const double step = mPlotW > 0 ? (double)half / mPlotW : 0.0;
  double q = 0.0;
  for (int x = 0; x < mPlotW; ++x, q += step)
  {
    const double v = CubicInterpolate(mLogMag.data(), half, q);
    double y = (mDBOffset - 20.0 * std::log10(std::max(v, 0.00001))) * h / mDBRange;
    // A level that cannot be computed (NaN in the input) lies off the bottom.
    if (!(v == v) || !std::isfinite(y)) y = h;
    if (mDisplayMode == 0)
    {
      const double s = mSmooth[x];
      y = (s - y) * (s < y ? slow : fast) + y;
      mSmooth[x] = y;
    }
    mPoints[x] = std::clamp(y, 0.0, h);
  }
}

double IFreqResponseGraph::ColumnFrequency(double x) const
{
  const double w = mW > 0 ? mW : 1;
  return std::pow(10.0, x / w * mDecades + mLogLowest);
}

void IFreqResponseGraph::OnMouseOver(int x, int y, IMouseMod* pMod)
{
  (void)pMod;
  mMouseOver = true;
  mMouseX = x;
  mMouseY = y;
}

void IFreqResponseGraph::OnMouseOut()
{
  mMouseOver = false;
  mRedraw = true;
}

bool IFreqResponseGraph::GetReadout(char* text, int size) const
{
  if (!mMouseOver || !text || size <= 0) return false;
  const double freq = ColumnFrequency(mMouseX - mL);
  const double level = mH > 0 ? (double)(mMouseY - mT) * mDBRange / mH : 0.0;
  if (freq >= 1000.0)
    snprintf(text, size, "Freq: %2.3f kHz\nGain: -%4.1f dB", freq / 1000.0, level);
  else
    snprintf(text, size, "Freq: %4.0f Hz\nGain: -%4.1f dB", freq, level);
  return true;
}

bool IFreqResponseGraph::Draw(IGraphics* pGraphics)
{
  const IChannelBlend clobber(IChannelBlend::kBlendClobber, 1.0f);
  const double h = mH;
  for (int i = 0; i + 1 < mPlotW; ++i)
  {
    const double y0 = mPoints[i], y1 = mPoints[i + 1];
    if (!(y0 > 0.0 && y0 < h)) continue;
    pGraphics->DrawLine(&mColor, (float)(mL + i), (float)(mT + y0), (float)(mL + i + 1), (float)(mT + y1), &clobber,
                        true);
  }
  // The readout sits in the graph's top-left corner, one line per row.
  char readout[96];
  if (GetReadout(readout, sizeof readout))
  {
    char* second = readout;
    while (*second && *second != '\n') ++second;
    if (*second) *second++ = '\0';
    const int lineH = mText.mSize + 2;
    IRECT r1(mL + 4, mT + 2, mL + mW, mT + 2 + lineH);
    IRECT r2(mL + 4, mT + 2 + lineH, mL + mW, mT + 2 + 2 * lineH);
    pGraphics->DrawIText(&mText, readout, &r1);
    pGraphics->DrawIText(&mText, second, &r2);
  }
  pGraphics->HandleMouseOver(true);
  return true;
}
