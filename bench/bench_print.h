// The benchmark's one output format: "name: value unit", one figure a line.
#pragma once

#include <cstdio>

inline void print(const char *name, double value, const char *unit)
{
    std::printf("%s: %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}
