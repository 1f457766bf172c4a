#pragma once

// Timestamps of the steps of opening a shortcut, for finding where its time goes.
// Off unless KESTROVA_TRACE=1 is set; then each step prints one line to stderr:
//   kestrova-trace PID MONOTONIC-MS STEP
// The times are the system's monotonic clock, so lines of the front program and of the
// running instance can be laid side by side. Off, a step costs one branch.
namespace StepTrace {

bool enabled();
void step(const char* name);

}
