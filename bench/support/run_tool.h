#pragma once

#include <string>
#include <vector>

// Runs a reference tool (a program on the PATH and its arguments) with its output written to
// `output` (thrown away unless given) and waits for it; its time in seconds, or -1 when it
// cannot run or fails. An exit status of 1 counts as success (grep's "no line matched").
double runTool(std::vector<std::string> args, const std::string& output = "/dev/null");
