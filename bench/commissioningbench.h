#pragma once

// Speed of commissioning: the report of a full controller rendered to a PDF, and the watching
// window's chart redrawn with a day of samples. Runs in a child process, which has the widgets.

namespace CommissioningBench {

constexpr char kChildOption[] = "--commissioning-child";

// The child's side: measures and prints its figures.
int runChild(int argc, char **argv);
// Starts the child and passes its figures through; false when it failed.
bool measure();

} // namespace CommissioningBench
