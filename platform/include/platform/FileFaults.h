#pragma once
// Test builds only: a hook that makes the steps of FileSystem::writeAtomically,
// and FileSystem::readFile, fail as a failing disk or a file the program may
// not read would, one step at a time. Programs built without the tests have
// neither the hook nor its cost.

#include <functional>
#include <string>

namespace platform::FileSystem {

enum class FileStep { CreateTemporary, Write, Sync, Rename, Read };

// Asked before each step with the path being written or read; a non-zero errno makes
// the step fail with it. A failing Write first writes half of the data, as a
// disk that fills up mid-write does. An empty hook removes it.
using FaultHook = std::function<int(FileStep, const std::string& path)>;
void setFaultHook(FaultHook hook);

}
