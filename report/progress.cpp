// The progress line on a terminal. It is written with a carriage return and
// padded over the previous text, without escape sequences, so any terminal
// shows it; the elapsed time is wall time since the program started. Nothing
// here touches the run log, the result file or the tables.
#include "report/progress.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "network/tables.h"

namespace fw {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto MinInterval = std::chrono::milliseconds(250);  // four lines a second at most

const Clock::time_point ProgramStart = Clock::now();

// What the line shows and where it stands.
struct Progress {
  bool checked = false;   // whether standard error was asked if it is a terminal
  bool terminal = false;  // its answer
  bool shown = false;     // a line is on the terminal, not yet ended
  bool pending = false;   // the last step noted is not on the line yet
  Clock::time_point last_shown;
  std::size_t width = 0;  // characters of the line on the terminal
  int iteration = 0;
  float objective = 0.0f;
  float previous = 0.0f;
};

Progress State;

// Writes the noted step over the line on the terminal.
void Draw() {
  const double objective = static_cast<double>(State.objective);
  const double previous = static_cast<double>(State.previous);
  const double change = std::fabs(objective - previous) / std::fabs(previous) * 100.0;
  const double seconds = std::chrono::duration<double>(Clock::now() - ProgramStart).count();
  char rule[48];
  if (ObjectError < 0.0f) {
    std::snprintf(rule, sizeof rule, "rule off");
  } else {
    std::snprintf(rule, sizeof rule, "stops at %g%%", static_cast<double>(ObjectError));
  }
  char text[256];
  std::snprintf(text, sizeof text, "step %d/%d  objective %.2f  change %.3e%% (%s)  %.1f s", State.iteration,
                MaxIteration, objective, change, rule, seconds);
  std::string line = std::string("\r") + text;
  const std::size_t width = line.size() - 1;
  if (width < State.width) line.append(State.width - width, ' ');
  std::fputs(line.c_str(), stderr);
  State.width = width;
  State.shown = true;
  State.pending = false;
  State.last_shown = Clock::now();
}

}  // namespace

void ShowProgress(int iteration, float objective, float previous) {
  if (!State.checked) {
    State.terminal = isatty(STDERR_FILENO) != 0;
    State.checked = true;
  }
  if (!State.terminal) return;
  State.iteration = iteration;
  State.objective = objective;
  State.previous = previous;
  State.pending = true;
  if (!State.shown || Clock::now() - State.last_shown >= MinInterval) Draw();
}

void EndProgress() {
  if (!State.terminal) return;
  if (State.pending) Draw();
  if (State.shown) std::fputc('\n', stderr);
  State.shown = false;
}

}  // namespace fw
