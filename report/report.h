// The run log, the result file and the developer diagnostics. Every format
// string is a named constant here, copied byte for byte from the file formats
// users and their tools rely on.
#ifndef FW_REPORT_REPORT_H
#define FW_REPORT_REPORT_H

#include "network/status.h"

namespace fw {

constexpr const char* RunLogPath = "../output/output.txt";
constexpr const char* ResultPath = "../output/result.txt";

// ---- Run log pieces, in the order they are written ---------------------------------
// The two header captions are Korean (objective-function value, number of
// paths used), stored as these exact bytes.
constexpr const char* LogHeader =
    "\n iteration#             \xc2\xb8\xc3\xb1\xc3\x80\xc3\xbb\xc3\x87\xc3\x94\xc2\xbc\xc3\xb6\xc2\xb0\xc2\xaa          "
    "\xc2\xbb\xc3\xa7\xc2\xbf\xc3\xab\xc2\xb5\xc3\x88 \xc2\xb0\xc3\xa6\xc2\xb7\xc3\x8e\xc3\x80\xc3\x87 \xc2\xbc\xc3\xb6";
constexpr const char* LogRule = "\n--------------------------------------------------------------";
constexpr const char* LogIterationZero = "\n   0                %.2f ";
constexpr const char* LogIteration = "\n   %d                %.2f         %.5f          %.5f      %f       %f";
constexpr const char* LogStopTransferred = "\n MaxError %f TranslinkVolume %.2f";
constexpr const char* LogStopObjective = "\n ObjectError %.5f";
constexpr const char* LogStopIterations = "\n Reach MaxIter";
constexpr const char* LogTableHeader = "\n\n\n  link#  link-origin link-dest link-volume  link-cost";
constexpr const char* LogTableRule = "\n---------------------------------------------------------";
constexpr const char* LogTableRow = "\n  %d       %d            %d           %.6f       %.4f";
constexpr const char* LogTableObjective = "\n   %.3f  ";
constexpr const char* LogCpuTime = "\n \n CPU TIME = %f    sec";
constexpr const char* LogSummary = "\n MaxError= %f\n ObjectError()= %f\n MaxIteration= %d\n";

// ---- Result file ----------------------------------------------------------------
constexpr const char* ResultObjective = "%.3f  ";
constexpr const char* ResultRow = "\n%d\t%.6f\t%.3f  ";

// ---- Run log ------------------------------------------------------------------------
// Creates or truncates the run log as `out` and writes its two header lines.
Status OpenRunLog();
// The iteration-0 line with the objective after the initial loading.
void WriteIterationZero(float objective);
// One line per Frank-Wolfe step: number, objective, theta, dif_theta and the two timings.
void WriteIteration(int iteration, float objective);
// The reason the iteration stopped; `iteration` is the number of steps taken.
void WriteStopMessage(int iteration);
// The elapsed seconds of the solve and the run parameters.
void WriteClosing(double seconds);
// Flushes and closes `out`; fails if any write to it failed.
Status CloseRunLog();
// Closes `out` after a failure elsewhere, keeping what was written.
void AbandonRunLog();

// The final link table into the run log and the whole result file, which
// replaces ResultPath only once it is complete and safely closed; on failure
// the old result file stays as it was. Reads LinkNumber, LinkOrigin,
// LinkDest, LinkVolume, LinkCost and the objective; uses `myout` meanwhile.
Status OutPut();

// The final link table into the run log `out` and the result lines into
// `myout`, both open. Reads what OutPut reads.
void WriteFinalTables();

// ---- Developer diagnostics (print, then wait for a key) -------------------------------
// Dumps the link records; reads one character per link and one more.
void ReadNetInfoTest();
// Builds the tree from node 0 and prints its caption; ends the process with status 1.
[[noreturn]] void mcrTest();
// Loads every pair on the costs of the volumes loaded so far and prints the
// link table; ends the process with status 1.
[[noreturn]] void AllOrNothingTest();

}  // namespace fw

#endif  // FW_REPORT_REPORT_H
