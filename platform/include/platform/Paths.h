#pragma once
// The application container and the bundle: where documents, caches and
// preferences live, and where the read-only resources are.

#include <string>

namespace platform::Paths {

// Container root: set by PlatformSession from --home, else $TOLVANE_HOME,
// else $XDG_DATA_HOME/tolvane (~/.local/share/tolvane). Folders are created on first use.
void setContainer(const std::string& dir);
const std::string& container();
std::string documents();   // <container>/Documents
std::string caches();      // <container>/Library/Caches
std::string preferences(); // <container>/Library/Preferences

// Folder of the images and scripts shipped with the program.
void setResourcesDirectory(const std::string& dir);
const std::string& resourcesDirectory();
std::string pathForResource(const std::string& name); // "" when absent

}

namespace platform::Bundle {
void setIdentifier(const std::string& id);
const std::string& identifier(); // reverse-DNS, e.g. "org.tolvane.Tolvane"
void setVersion(const std::string& version);
const std::string& version();
void setDisplayName(const std::string& name);
const std::string& displayName();
}
