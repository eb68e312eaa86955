#pragma once

#include <AppKit/OrvantaAppKitTesting.h>

// Puts one modal question to whoever can answer it: the test's handler,
// else zenity (installed, and a display open), else nobody ("cancelled").
OrvantaModalAnswer NSRunModalRequest(const OrvantaModalRequest& request);

// Runs a program (searched in PATH) with arguments, without a shell; its
// standard output is returned in *output. -1 when it could not be started,
// else its exit status.
int NSRunProgram(const char* program, const std::vector<std::string>& args, std::string* output);
bool NSProgramInstalled(const char* program);
