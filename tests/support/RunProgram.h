#pragma once

#include <string>
#include <vector>

namespace cvt::test {

struct ProgramRun {
    std::string program;
    std::vector<std::string> args;
    std::string workingDirectory; // empty: the test's own
    std::string input;            // handed to the program's standard input
};

struct ProgramResult {
    int exitCode = -1; // the exit status, or 128 + the signal that ended the program
    std::string out;
    std::string err;
};

// Runs a program to its end and captures what it writes to standard output and standard error.
ProgramResult runProgram(const ProgramRun& run);

} // namespace cvt::test
