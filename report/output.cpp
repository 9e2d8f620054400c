// Writing the run log and the result file. A file that cannot be opened, or a
// write, flush or close that fails (a full disk, an unwritable folder), is a
// failure of the run: nothing is written through a file that failed to open,
// and the program never reports success after a lost write.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "network/tables.h"
#include "performance/performance.h"
#include "report/report.h"
#include "solver/solver.h"

namespace fw {

static Status FileError(const char* path, const char* what) {
  return Status::Fail(std::string(path) + ": " + what + ": " + std::strerror(errno));
}

// Closes `file`, reporting a failed earlier write or flush, or a failed close.
static Status CloseChecked(std::FILE* file, const char* path) {
  errno = 0;
  const bool write_failed = std::ferror(file) != 0;
  const bool close_failed = std::fclose(file) != 0;
  if (!write_failed && !close_failed) return Status::Ok();
  if (errno == 0) errno = EIO;
  return FileError(path, "writing failed");
}

Status OpenRunLog() {
  out = std::fopen(RunLogPath, "w");
  if (out == nullptr) return FileError(RunLogPath, "cannot open the run log for writing");
  std::fputs(LogHeader, out);
  std::fputs(LogRule, out);
  return Status::Ok();
}

void WriteIterationZero(float objective) { std::fprintf(out, LogIterationZero, static_cast<double>(objective)); }

void WriteIteration(int iteration, float objective) {
  std::fprintf(out, LogIteration, iteration, static_cast<double>(objective), static_cast<double>(theta),
               static_cast<double>(dif_theta), static_cast<double>(direction_search_time),
               static_cast<double>(line_search_time));
}

void WriteStopMessage(int iteration) {
  if (MaxError >= TransLinkVolume) {
    std::fprintf(out, LogStopTransferred, static_cast<double>(MaxError), static_cast<double>(TransLinkVolume));
  } else if (iteration < MaxIteration) {
    // Deliberate: the tolerance itself, not the change reached.
    std::fprintf(out, LogStopObjective, static_cast<double>(ObjectError));
  } else {
    std::fputs(LogStopIterations, out);
  }
}

void WriteClosing(double seconds) {
  std::fprintf(out, LogCpuTime, seconds);
  std::fprintf(out, LogSummary, static_cast<double>(MaxError), static_cast<double>(ObjectError), MaxIteration);
}

Status CloseRunLog() {
  Status s = CloseChecked(out, RunLogPath);
  out = nullptr;
  return s;
}

void AbandonRunLog() {
  if (out != nullptr) std::fclose(out);
  out = nullptr;
}

Status OutPut() {
  std::fputs(LogTableHeader, out);
  std::fputs(LogTableRule, out);
  myout = std::fopen(ResultPath, "w");
  if (myout == nullptr) return FileError(ResultPath, "cannot open the result file for writing");
  // The objective is a pure function of the volumes: evaluated once, printed twice.
  const double objective = static_cast<double>(ObjectValue());
  std::fprintf(myout, ResultObjective, objective);
  for (int l = 0; l < LinkNumber; ++l) {
    const double volume = static_cast<double>(LinkVolume[l]);
    const double cost = static_cast<double>(LinkCost[l]);
    std::fprintf(out, LogTableRow, l, LinkOrigin[l], LinkDest[l], volume, cost);
    std::fprintf(myout, ResultRow, l, volume, cost);
  }
  std::fprintf(out, LogTableObjective, objective);
  Status s = CloseChecked(myout, ResultPath);
  myout = nullptr;
  return s;
}

}  // namespace fw
