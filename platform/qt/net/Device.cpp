// Device facts on a Linux desktop: uname, /etc/machine-id, Qt's system and
// screen information, and the application object's status bar.
#include "platform/net/Device.h"
#include "platform/ui/Application.h"
#include <QGuiApplication>
#include <QScreen>
#include <QSysInfo>
#include <cctype>
#include <fstream>
#include <sys/utsname.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr float kScreenWidth = 320, kScreenHeight = 480, kStatusBarHeight = 20;

std::string firstLineOf(const char* path)
{
    std::ifstream in(path);
    std::string line;
    if (in)
        std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    return line;
}
}

Device& Device::current()
{
    static Device device;
    return device;
}

std::string Device::model() const
{
    // The window presents a phone's screen and interface, so the desktop
    // describes itself as the phone it shows.
    return model_ ? *model_ : std::string("iPhone");
}

std::string Device::machineName() const
{
    struct utsname u { };
    if (uname(&u) != 0)
        return {};
    return u.machine;
}

std::string Device::systemVersion() const
{
    if (systemVersion_)
        return *systemVersion_;
    std::string v = QSysInfo::productVersion().toStdString();
    // A rolling distribution answers "unknown"; the kernel's numbers then
    // stand for the system's version.
    if (v.empty() || !std::isdigit(static_cast<unsigned char>(v[0])))
        v = QSysInfo::kernelVersion().toStdString();
    return v;
}

std::string Device::uniqueIdentifier() const
{
    if (uniqueId_)
        return *uniqueId_;
    std::string id = firstLineOf("/etc/machine-id");
    if (id.empty())
        id = firstLineOf("/var/lib/dbus/machine-id");
    return id;
}

Device::Idiom Device::userInterfaceIdiom() const
{
    return idiom_ ? *idiom_ : Idiom::Phone;
}

float Device::screenScale() const
{
    if (scale_)
        return *scale_;
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (QScreen* screen = app->primaryScreen())
            return float(screen->devicePixelRatio());
    }
    return 1.0f;
}

bool Device::runsWithElevatedPrivileges() const
{
    return geteuid() == 0;
}

int Device::statusBarOrientation() const
{
    return Application::shared().statusBarOrientation();
}

bool Device::isStatusBarHidden() const
{
    return Application::shared().isStatusBarHidden();
}

Rect Device::applicationFrame() const
{
    bool landscape = isLandscapeOrientation(statusBarOrientation());
    float w = landscape ? kScreenHeight : kScreenWidth;
    float h = landscape ? kScreenWidth : kScreenHeight;
    if (isStatusBarHidden())
        return { 0, 0, w, h };
    return { 0, kStatusBarHeight, w, h - kStatusBarHeight };
}

Rect Device::statusBarFrame() const
{
    if (isStatusBarHidden())
        return {};
    bool landscape = isLandscapeOrientation(statusBarOrientation());
    return { 0, 0, landscape ? kScreenHeight : kScreenWidth, kStatusBarHeight };
}

std::optional<std::string> Device::audioRouteName() const
{
    if (route_)
        return *route_;
    // The desktop's sound system has no route names the way a phone's
    // audio session does.
    return std::nullopt;
}

}
