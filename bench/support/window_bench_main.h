#pragma once

// The main of a benchmark program that shows widgets: an application object on the offscreen
// platform (unless another one is asked for), window placements saved to a temporary settings
// folder that is removed at the end, then every benchmark of the program.
int runWindowBenchmarks(int argc, char** argv);
