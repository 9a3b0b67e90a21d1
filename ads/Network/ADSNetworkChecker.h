#pragma once
// Watches whether the ad vendor's host is reachable and over which kind of
// network, as a short string for ad requests. It never asks for the current
// state: the type stays unknown until the system's first report.

#include "platform/net/Reachability.h"
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class ADSNetworkChecker {
public:
    enum NetworkType : int32_t { Unknown = 0, NotReachable = 1, ReachableViaWiFi = 2, ReachableViaCellular = 3 };

    // Created and enabled on first use.
    static ADSNetworkChecker& sharedChecker();
    ADSNetworkChecker() = default;
    ~ADSNetworkChecker();
    ADSNetworkChecker(const ADSNetworkChecker&) = delete;
    ADSNetworkChecker& operator=(const ADSNetworkChecker&) = delete;

    void setEnabled(bool enabled);
    bool isEnabled() const { return networkRef_ != nullptr; }
    void startNetworkChecking();
    void stopNetworkChecking();
    void setNetworkTypeFromFlags(uint32_t flags);

    int32_t networkType() const { return networkType_; }
    uint32_t changeCount() const { return changeCount_; }
    // None while unknown or unreachable; "wi" or "ed".
    std::optional<std::string> networkTypeString() const;

private:
    std::unique_ptr<platform::Reachability> networkRef_;
    int32_t networkType_ = Unknown;
    uint32_t changeCount_ = 0;
};
