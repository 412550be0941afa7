#pragma once
// The command line's tests run tamvo in their own process; with
// TAMVO_PROGRAM_UNDER_TEST naming a program (tamvo.exe through Wine, say),
// each run is that program's, as a process instead: the same cases held to
// another build.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace tamvo::test {

// The program, or null: runs stay in this process.
const char* ProgramUnderTest();

// Runs the program with args, standard input what input holds; what it
// writes goes into out and err. scratch is a folder of the test's own for
// the streams. Returns the exit code, or -1 when it didn't exit.
int RunProgramUnderTest(const std::vector<std::string>& args, std::istream& input, std::ostringstream& out,
                        std::ostringstream& err, const std::filesystem::path& scratch);

// A file the program found itself, as it names it: tamvo.exe under Wine
// sees this side's /tmp/x as Z:\tmp\x.
std::string ShownByProgram(const std::filesystem::path& path);

}  // namespace tamvo::test
