#pragma once
// Facts about the device the program runs on, as the ad library asks for them:
// model, machine name, system version, identifier, idiom, screen and status
// bar, audio route. Answers are read afresh on each call unless overridden.

#include "platform/ui/Geometry.h"
#include <optional>
#include <string>
#include <utility>

namespace platform {

class Device {
public:
    static Device& current();

    enum class Idiom { Phone = 0, Pad = 1 };

    std::string model() const;          // "iPhone": the phone the window presents
    std::string machineName() const;    // uname's machine field, e.g. "x86_64"
    std::string systemVersion() const;  // dotted numbers, e.g. "12" or "6.1.0"
    // The system's machine identifier (/etc/machine-id), "" when there is none.
    std::string uniqueIdentifier() const;
    Idiom userInterfaceIdiom() const;
    float screenScale() const;          // 1.0 when the screen gives none
    bool runsWithElevatedPrivileges() const;

    // The 320 x 480 screen less the 20-point status bar, in the interface's
    // current orientation; the status bar is empty when hidden.
    Rect applicationFrame() const;
    Rect statusBarFrame() const;
    int statusBarOrientation() const;
    bool isStatusBarHidden() const;

    // The current audio route name; nothing where the desktop has none.
    std::optional<std::string> audioRouteName() const;

    // Overrides for tests and the automation mode; empty optionals restore the system's answers.
    void overrideModel(std::optional<std::string> v) { model_ = std::move(v); }
    void overrideSystemVersion(std::optional<std::string> v) { systemVersion_ = std::move(v); }
    void overrideUniqueIdentifier(std::optional<std::string> v) { uniqueId_ = std::move(v); }
    void overrideIdiom(std::optional<Idiom> v) { idiom_ = v; }
    void overrideScreenScale(std::optional<float> v) { scale_ = v; }
    void overrideAudioRoute(std::optional<std::optional<std::string>> v) { route_ = std::move(v); }

private:
    std::optional<std::string> model_, systemVersion_, uniqueId_;
    std::optional<Idiom> idiom_;
    std::optional<float> scale_;
    std::optional<std::optional<std::string>> route_;
};

}
