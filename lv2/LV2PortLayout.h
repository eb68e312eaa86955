#pragma once

#include "plugin/IFxBase.h"

#include <cstdint>

// Where each of the plug-in's channels and parameters sits among the LV2
// ports. The wrapper and the Turtle description both derive it from the same
// plug-in, so the shared object and its description always agree:
//
//   audio inputs (one per input channel), audio outputs (one per output
//   channel), one control input per parameter in index order, the latency
//   output last.
//
// Inputs beyond the smallest legal input count are optional: a host may leave
// them unconnected and they then read silence.
class LV2PortLayout
{
public:
  enum EKind { kAudioIn, kAudioOut, kControlIn, kLatencyOut, kNone };

  explicit LV2PortLayout(const IFxBase& plug);

  int NAudioIn() const { return mNIn; }
  int NAudioOut() const { return mNOut; }
  int NControls() const { return mNParams; }
  uint32_t NPorts() const { return (uint32_t)(mNIn + mNOut + mNParams + 1); }
  // Input channels every legal configuration uses; the rest are optional.
  int NRequiredAudioIn() const { return mNRequiredIn; }

  uint32_t AudioInPort(int channel) const { return (uint32_t)channel; }
  uint32_t AudioOutPort(int channel) const { return (uint32_t)(mNIn + channel); }
  uint32_t ControlPort(int paramIdx) const { return (uint32_t)(mNIn + mNOut + paramIdx); }
  uint32_t LatencyPort() const { return (uint32_t)(mNIn + mNOut + mNParams); }

  // What port is, and its channel or parameter index in *pIdx.
  EKind Classify(uint32_t port, int* pIdx) const;

  // Host UI thread; allocates. The port's LV2 symbol into sym (kMaxSymbolLen
  // bytes): "in_l"/"in_r" and "out_l"/"out_r" for stereo, "in"/"out" for mono,
  // "in_1"... otherwise; a parameter's name in lower case with every other
  // character as '_' (a leading digit gets a '_' in front, a clash with an
  // earlier port a numeric suffix); "latency". False ("") for a port out of
  // range or when memory runs out.
  static constexpr int kMaxSymbolLen = 48;
  bool Symbol(const IFxBase& plug, uint32_t port, char* sym) const;

private:
  void BaseSymbol(const IFxBase& plug, uint32_t port, char* sym) const;

  int mNIn;
  int mNOut;
  int mNParams;
  int mNRequiredIn;
};
