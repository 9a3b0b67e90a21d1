#pragma once
// Helpers shared by the shell's tests: a clean settings store and no saved
// game before each test, so that no test sees another's leftovers.

#include "SettingsKeys.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/UserDefaults.h"

#include <string>

namespace shelltest {

inline std::string savedGamePath() { return platform::Paths::documents() + "/data.plist"; }

inline void cleanSlate()
{
    auto& store = platform::UserDefaults::standard();
    for (const auto& key : tolvane::SettingsKeys::all())
        store.removeObject(key.name);
    store.synchronize();
    platform::FileSystem::removeFile(savedGamePath());
    platform::FileSystem::removeFile(savedGamePath() + ".damaged");
}

}
