#pragma once

// Identity of the Orvanta component. effect/CMakeLists.txt reads the quoted
// values below (one per line, in this form) to write the bundle's Info.plist,
// so the bundle and the code can never disagree.
inline constexpr char kOrvantaBundleID[] = "com.zerrantic.audiounit.Orvanta";
inline constexpr char kOrvantaSubtype[] = "orv5";
inline constexpr char kOrvantaManufacturer[] = "Zrnt";
inline constexpr char kOrvantaComponentName[] = "zerrantic: Orvanta";
inline constexpr int kOrvantaVersion = 0x10300;  // v1.3.0: major << 16 | minor << 8 | patch

inline constexpr char kOrvantaViewClassName[] = "Orvanta_View";

// A four-character code packed big-endian, the characters read left to right.
constexpr int OrvantaFourCC(const char (&code)[5]) {
  return static_cast<int>((static_cast<unsigned>(static_cast<unsigned char>(code[0])) << 24) |
                          (static_cast<unsigned>(static_cast<unsigned char>(code[1])) << 16) |
                          (static_cast<unsigned>(static_cast<unsigned char>(code[2])) << 8) |
                          static_cast<unsigned>(static_cast<unsigned char>(code[3])));
}
