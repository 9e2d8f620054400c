// Writing the run log and the result file. A file that cannot be opened, or a
// write, flush, close or rename that fails (a full disk, an unwritable folder),
// is a failure of the run: nothing is written through a file that failed to
// open, and the program never reports success after a lost write. The run log
// is written as the run goes, so its progress can be followed; the result file
// is written beside its place and renamed over the old one only when complete.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "network/tables.h"
#include "performance/performance.h"
#include "report/fixed_format.h"
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

// Writes `format` with `args` to `file`, as std::fprintf would.
static void WriteFixed(std::FILE* file, const char* format, std::initializer_list<FormatArg> args) {
  char line[FormatRoom];
  std::fwrite(line, 1, FormatFixed(line, format, args), file);
}

void WriteIteration(int iteration, float objective) {
  WriteFixed(out, LogIteration,
             {iteration, static_cast<double>(objective), static_cast<double>(theta), static_cast<double>(dif_theta),
              static_cast<double>(direction_search_time), static_cast<double>(line_search_time)});
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

void WriteFinalTables() {
  std::fputs(LogTableHeader, out);
  std::fputs(LogTableRule, out);
  // The objective is a pure function of the volumes: evaluated once, printed twice.
  const double objective = static_cast<double>(ObjectValue());
  std::fprintf(myout, ResultObjective, objective);
  for (int l = 0; l < LinkNumber; ++l) {
    const double volume = static_cast<double>(LinkVolume[l]);
    const double cost = static_cast<double>(LinkCost[l]);
    WriteFixed(out, LogTableRow, {l, LinkOrigin[l], LinkDest[l], volume, cost});
    WriteFixed(myout, ResultRow, {l, volume, cost});
  }
  std::fprintf(out, LogTableObjective, objective);
}

// Creates the temporary result file as `myout`, exclusively, with the
// permissions of any new file (0666 less the umask). A file of that name can
// only be left by a run with this process id that died, so it is replaced.
static Status OpenStagedResult(const std::string& staged) {
  myout = std::fopen(staged.c_str(), "wx");
  if (myout == nullptr && errno == EEXIST && std::remove(staged.c_str()) == 0) myout = std::fopen(staged.c_str(), "wx");
  if (myout == nullptr) return FileError(ResultPath, "cannot create a temporary file beside it");
  return Status::Ok();
}

// Whether the temporary result file reached the disk. A file system that
// cannot sync files (EINVAL, ENOTSUP) is taken at its word after the flush.
static bool Synced(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  return fsync(fileno(file)) == 0 || errno == EINVAL || errno == ENOTSUP;
}

// Flushes the temporary result file to the disk and closes it, reporting any
// failed write, flush, sync or close.
static Status CloseStagedResult() {
  errno = 0;
  const bool synced = Synced(myout);
  const int sync_error = errno;
  Status s = CloseChecked(myout, ResultPath);
  myout = nullptr;
  if (synced) return s;
  // The flush or sync saw the failure first and knows its cause best.
  errno = sync_error != 0 ? sync_error : EIO;
  return FileError(ResultPath, "writing failed");
}

Status OutPut() {
  const std::string staged = std::string(ResultPath) + ".tmp-" + std::to_string(getpid());
  Status s = OpenStagedResult(staged);
  if (!s.ok) return s;
  WriteFinalTables();
  s = CloseStagedResult();
  if (s.ok && std::rename(staged.c_str(), ResultPath) != 0) s = FileError(ResultPath, "cannot be replaced by the new result");
  if (!s.ok) std::remove(staged.c_str());
  return s;
}

}  // namespace fw
