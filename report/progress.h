// The progress line: while the run iterates, one line on standard error that
// is rewritten in place, shown only when standard error is a terminal, so
// scripts and redirected runs see nothing new.
#ifndef FW_REPORT_PROGRESS_H
#define FW_REPORT_PROGRESS_H

namespace fw {

// Notes the step `iteration` with its objective and the previous one; when
// standard error is a terminal, rewrites the line with the step, MaxIteration,
// the objective, its relative change against ObjectError and the elapsed
// time, at most four times a second. Reads MaxIteration and ObjectError.
void ShowProgress(int iteration, float objective, float previous);

// Ends the line: shows the last step noted, if a line was begun or a step was
// noted, and a line break. Nothing when standard error is not a terminal.
void EndProgress();

}  // namespace fw

#endif  // FW_REPORT_PROGRESS_H
