// Reachability on QNetworkInformation. Changes of the system's network state
// become reports posted on the main run loop to every scheduled target.
#include "platform/net/Reachability.h"
#include "platform/RunLoop.h"
#include <QCoreApplication>
#include <QNetworkInformation>
#include <QObject>
#include <QPointer>
#include <algorithm>
#include <vector>

namespace platform {

namespace {

// Targets currently scheduled on the main run loop (not owned).
std::vector<Reachability*>& scheduledTargets()
{
    static std::vector<Reachability*> targets;
    return targets;
}

QPointer<QObject>& watcher()
{
    static QPointer<QObject> w;
    return w;
}

uint32_t flagsFrom(QNetworkInformation* info)
{
    if (!info)
        return 0;
    uint32_t flags = 0;
    // Only full internet access reaches the vendor's public host; a local or
    // site-only network does not.
    if (info->reachability() == QNetworkInformation::Reachability::Online)
        flags |= Reachability::kReachable;
    if (info->transportMedium() == QNetworkInformation::TransportMedium::Cellular)
        flags |= Reachability::kIsWWAN;
    return flags;
}

// Connects to the system's network information once. Without a backend (no
// network manager on this machine) no report ever comes, and targets stay at
// "unknown", which is what callers expect before a first report anyway.
void ensureWatching()
{
    if (watcher() || !QCoreApplication::instance())
        return;
    watcher() = new QObject(QCoreApplication::instance());
    if (!QNetworkInformation::instance() && !QNetworkInformation::loadDefaultBackend())
        return;
    auto* info = QNetworkInformation::instance();
    if (!info)
        return;
    auto report = [] { Reachability::postReport(flagsFrom(QNetworkInformation::instance())); };
    QObject::connect(info, &QNetworkInformation::reachabilityChanged, watcher(), report);
    QObject::connect(info, &QNetworkInformation::transportMediumChanged, watcher(), report);
}

}

Reachability::Reachability(std::string host)
    : host_(std::move(host))
{
}

Reachability::~Reachability()
{
    lifetime_.end();
    unscheduleFromMainRunLoop();
}

std::unique_ptr<Reachability> Reachability::createWithHostName(const std::string& host)
{
    if (host.empty())
        return nullptr;
    return std::unique_ptr<Reachability>(new Reachability(host));
}

bool Reachability::scheduleOnMainRunLoop()
{
    if (scheduled_)
        return true;
    ensureWatching();
    scheduledTargets().push_back(this);
    scheduled_ = true;
    return true;
}

void Reachability::unscheduleFromMainRunLoop()
{
    if (!scheduled_)
        return;
    auto& v = scheduledTargets();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    scheduled_ = false;
}

void Reachability::postReport(uint32_t flags)
{
    for (Reachability* target : scheduledTargets()) {
        RunLoop::main().post([target, alive = target->lifetime_.watch(), flags] {
            if (alive && target->scheduled_)
                target->deliver(flags);
        });
    }
}

uint32_t Reachability::currentSystemFlags()
{
    ensureWatching();
    return flagsFrom(QNetworkInformation::instance());
}

void Reachability::deliver(uint32_t flags)
{
    if (callback_)
        callback_(*this, flags);
}

}
