// Running the built program end to end in scratch directories, the way users
// run it: from a working directory whose ../output/ holds the input.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/support.h"

namespace fw {

static std::vector<std::string>& ScratchDirs() {
  static std::vector<std::string> dirs;
  return dirs;
}

static void RemoveScratchDirs() {
  for (const std::string& dir : ScratchDirs()) {
    const std::string command = "chmod -R u+rwx '" + dir + "' 2>/dev/null; rm -rf '" + dir + "'";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", dir.c_str());
  }
}

std::string ScratchDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/fwassign-test-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) std::abort();
  const std::string dir(name.data());
  if (ScratchDirs().empty()) std::atexit(RemoveScratchDirs);
  ScratchDirs().push_back(dir);
  mkdir((dir + "/run").c_str(), 0755);
  mkdir((dir + "/output").c_str(), 0755);
  return dir;
}

bool ReadFile(const std::string& path, std::string* text) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;  // not /dev/full and the like
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  *text = content.str();
  return true;
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
}

ProgramRun RunIn(const std::string& dir, const std::string& program, const std::string& stdin_text,
                 const std::string& args) {
  WriteFile(dir + "/stdin.txt", stdin_text);
  const std::string command = "cd '" + dir + "/run' && '" + program + "' " + args + " < '" + dir + "/stdin.txt' 2> '" + dir +
                              "/stderr.txt' > '" + dir + "/stdout.txt'";
  const int status = std::system(command.c_str());
  ProgramRun run;
  run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  ReadFile(dir + "/stderr.txt", &run.error);
  ReadFile(dir + "/stdout.txt", &run.printed);
  run.output_exists = ReadFile(dir + "/output/output.txt", &run.output);
  run.result_exists = ReadFile(dir + "/output/result.txt", &run.result);
  return run;
}

ProgramRun RunProgram(const std::string& program, const std::string* input, const std::string* old_output,
                      const std::string* old_result, const std::string& stdin_text) {
  const std::string dir = ScratchDir();
  if (input != nullptr) WriteFile(dir + "/output/input.txt", *input);
  if (old_output != nullptr) WriteFile(dir + "/output/output.txt", *old_output);
  if (old_result != nullptr) WriteFile(dir + "/output/result.txt", *old_result);
  return RunIn(dir, program, stdin_text);
}

std::string ProgramPath() { return FW_PROGRAM_PATH; }
std::string FixedClockProgramPath() { return FW_FIXED_CLOCK_PROGRAM_PATH; }
std::string PlainProgramPath() { return FW_PLAIN_PROGRAM_PATH; }
std::string TestSourceDir() { return FW_TEST_SOURCE_DIR; }

}  // namespace fw
