// Replays fuzz inputs without libFuzzer, so that the fuzz target builds with
// any compiler and the corpus runs as a test. Each argument is an input file
// or a folder whose files, at any depth, are replayed in name order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

// The files named by `path`: itself, or those below it when it is a folder.
static bool Collect(const fs::path& path, std::vector<fs::path>* files) {
  std::error_code error;
  if (fs::is_regular_file(path, error)) {
    files->push_back(path);
    return true;
  }
  if (!fs::is_directory(path, error)) return false;
  for (fs::recursive_directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file(error)) files->push_back(it->path());
  }
  return !error;
}

int main(int argc, char** argv) {
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    if (!Collect(argv[i], &files)) {
      std::fprintf(stderr, "%s: not a readable file or folder\n", argv[i]);
      return 1;
    }
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
      std::fprintf(stderr, "%s: cannot be read\n", file.c_str());
      return 1;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("replayed %zu inputs\n", files.size());
  return files.empty() ? 1 : 0;
}
