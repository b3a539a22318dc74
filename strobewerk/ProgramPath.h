// programPath: where the running program's file is, as the system names it
// (/proc/self/exe), for what the program finds beside itself or starts
// again: the encoder module, a capture's parts, a capture run again under
// a virtual X server; execProgram starts such a command line in place of
// the running program.
//
//     const std::string self = programPath();
//     if (self.empty()) ... the program cannot be found
//     execProgram({self, "--capture", ...});   // back only when it failed
#pragma once

#include <string>
#include <vector>

// The running program's path; "" when the system does not say.
std::string programPath();

// Runs words[0] in place of this program, with `words` as its arguments
// (the program's name first). Returns only when that failed.
void execProgram(const std::vector<std::string>& words);
