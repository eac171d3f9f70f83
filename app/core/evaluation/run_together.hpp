#pragma once
// Independent computations of one section at the same time, each on a
// thread of its own (the first on the calling thread): a section of a
// million rows takes the time of its longest computation rather than of
// all of them. Each task writes only its own results, so what they give is
// what they would give one after the other. The library's messages of the
// tasks after the first are shown once all have ended, on the calling
// thread, task by task in order; an exception a task let through (running
// out of memory) is raised there too, the earliest task's.

#include <functional>
#include <initializer_list>

void runTogether(std::initializer_list<std::function<void()>> tasks);
