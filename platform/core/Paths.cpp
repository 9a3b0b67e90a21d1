// Container folders and bundle facts for the running program.
#include "platform/Paths.h"

#include "platform/FileSystem.h"

#include <cstdlib>
#include <unistd.h>

#ifndef TOLVANE_RESOURCES_DIR
#define TOLVANE_RESOURCES_DIR "resources"
#endif
#ifndef TOLVANE_BUNDLE_ID
#define TOLVANE_BUNDLE_ID "org.tolvane.Tolvane"
#endif
#ifndef TOLVANE_VERSION
#define TOLVANE_VERSION "1.0.0"
#endif

namespace platform::Paths {

namespace {
std::string& containerDir()
{
    static std::string dir;
    return dir;
}
// The build's resources folder; an installed program, whose build tree is
// gone, finds them beside it in <prefix>/share/tolvane/resources.
std::string defaultResources()
{
    if (FileSystem::isDirectory(TOLVANE_RESOURCES_DIR))
        return TOLVANE_RESOURCES_DIR;
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        std::string path(exe, size_t(n));
        const std::string bin = path.substr(0, path.rfind('/'));
        const std::string installed = bin.substr(0, bin.rfind('/')) + "/share/tolvane/resources";
        if (FileSystem::isDirectory(installed))
            return installed;
    }
    return TOLVANE_RESOURCES_DIR;
}

std::string& resourcesDir()
{
    static std::string dir = defaultResources();
    return dir;
}

std::string defaultContainer()
{
    if (const char* h = std::getenv("TOLVANE_HOME"); h && *h)
        return h;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x)
        return FileSystem::appendPathComponent(x, "tolvane");
    return FileSystem::expandTilde("~/.local/share/tolvane");
}

std::string ensured(const std::string& path)
{
    FileSystem::createDirectories(path);
    return path;
}
}

void setContainer(const std::string& dir) { containerDir() = dir; }

const std::string& container()
{
    std::string& dir = containerDir();
    if (dir.empty())
        dir = defaultContainer();
    return dir;
}

std::string documents() { return ensured(FileSystem::appendPathComponent(container(), "Documents")); }
std::string caches() { return ensured(FileSystem::appendPathComponent(container(), "Library/Caches")); }
std::string preferences() { return ensured(FileSystem::appendPathComponent(container(), "Library/Preferences")); }

void setResourcesDirectory(const std::string& dir) { resourcesDir() = dir; }
const std::string& resourcesDirectory() { return resourcesDir(); }

std::string pathForResource(const std::string& name)
{
    // A resource name never climbs out of the resources folder.
    if (name.empty() || name.find("..") != std::string::npos)
        return "";
    std::string path = FileSystem::appendPathComponent(resourcesDir(), name);
    return FileSystem::exists(path) && !FileSystem::isDirectory(path) ? path : "";
}

}

namespace platform::Bundle {

namespace {
struct Facts {
    std::string identifier = TOLVANE_BUNDLE_ID;
    std::string version = TOLVANE_VERSION;
    std::string displayName = "Tolvane";
};
Facts& facts()
{
    static Facts f;
    return f;
}
}

void setIdentifier(const std::string& id) { facts().identifier = id; }
const std::string& identifier() { return facts().identifier; }
void setVersion(const std::string& version) { facts().version = version; }
const std::string& version() { return facts().version; }
void setDisplayName(const std::string& name) { facts().displayName = name; }
const std::string& displayName() { return facts().displayName; }

}
