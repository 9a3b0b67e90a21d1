#include "Network/ADSNetworkChecker.h"
#include "ADSConfiguration.h"

ADSNetworkChecker& ADSNetworkChecker::sharedChecker()
{
    static ADSNetworkChecker* checker = [] {
        // Lives for the process: reports may arrive until the very end.
        auto* c = new ADSNetworkChecker();
        c->setEnabled(true);
        return c;
    }();
    return *checker;
}

ADSNetworkChecker::~ADSNetworkChecker()
{
    stopNetworkChecking();
}

void ADSNetworkChecker::setEnabled(bool enabled)
{
    if (enabled == isEnabled())
        return;
    if (enabled)
        startNetworkChecking();
    else
        stopNetworkChecking();
}

void ADSNetworkChecker::startNetworkChecking()
{
    networkType_ = Unknown;
    if (networkRef_)
        return;
    std::unique_ptr<platform::Reachability> target = platform::Reachability::createWithHostName(kADSReachabilityHostName);
    if (!target)
        return;
    target->setCallback([this](platform::Reachability&, uint32_t flags) { setNetworkTypeFromFlags(flags); });
    if (!target->scheduleOnMainRunLoop())
        return;
    networkRef_ = std::move(target);
}

void ADSNetworkChecker::stopNetworkChecking()
{
    if (!networkRef_)
        return;
    networkRef_->unscheduleFromMainRunLoop();
    networkRef_.reset();
    networkType_ = Unknown;
}

void ADSNetworkChecker::setNetworkTypeFromFlags(uint32_t flags)
{
    ++changeCount_;
    if (!(flags & platform::Reachability::kReachable))
        networkType_ = NotReachable;
    else if (flags & platform::Reachability::kIsWWAN)
        networkType_ = ReachableViaCellular;
    else
        networkType_ = ReachableViaWiFi;
}

std::optional<std::string> ADSNetworkChecker::networkTypeString() const
{
    switch (networkType_) {
    case ReachableViaWiFi: return std::string("wi");
    case ReachableViaCellular: return std::string("ed");
    default: return std::nullopt;
    }
}
