#pragma once

// Trace points.
//
// Key operations announce themselves with TRACE_F(tag, fmt, ...): the tag is the
// operation's name, the format and arguments are printf-style. Tracing is switched
// off in this build, so a trace point has no effect at all: the arguments are
// type-checked against the format by the compiler but never evaluated, which keeps
// trace points free on the render thread even when they name costly expressions.

#if defined(__GNUC__) || defined(__clang__)
#define ORVANTA_PRINTF_FORMAT(fmtIdx, argIdx) __attribute__((format(printf, fmtIdx, argIdx)))
#else
#define ORVANTA_PRINTF_FORMAT(fmtIdx, argIdx)
#endif

// The tracing entry point. Any thread; never locks or allocates; writes nothing.
inline void Trace(const char* tag, int line, const char* format, ...) ORVANTA_PRINTF_FORMAT(3, 4);
inline void Trace(const char*, int, const char*, ...) {}

// Usable as a statement or an expression. The unevaluated branch still instantiates
// the call, so mismatched format arguments warn under -Wall (-Wformat).
#define TRACE_F(tag, fmt, ...) \
  (false ? Trace((tag), __LINE__, fmt __VA_OPT__(, ) __VA_ARGS__) : (void)0)

// Names of Audio Unit selectors, properties and scopes and of VST opcodes for trace
// output. With tracing off every one of them is the empty text "".
const char* AUSelectStr(int selector);
const char* AUPropertyStr(int id);
const char* AUScopeStr(int scope);
const char* VSTOpcodeStr(int opcode);
