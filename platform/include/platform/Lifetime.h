#pragma once
// Lets code that runs after a callback, or later on the run loop, tell
// whether an object it points at still exists. The object holds a Lifetime;
// the code holds a Lifetime::Watch. It keeps nothing alive and is meant for
// the main thread, like the objects it watches.

#include <memory>

namespace platform {

class Lifetime {
public:
    class Watch {
    public:
        Watch() = default;
        // False once the watched object has ended (or for a default watch).
        bool alive() const { return !token_.expired(); }
        explicit operator bool() const { return alive(); }

    private:
        friend class Lifetime;
        explicit Watch(std::weak_ptr<const char> token) : token_(std::move(token)) { }
        std::weak_ptr<const char> token_;
    };

    Lifetime() = default;
    // A copy belongs to another object and starts a lifetime of its own.
    Lifetime(const Lifetime&) : Lifetime() { }
    Lifetime& operator=(const Lifetime&) { return *this; }

    Watch watch() const { return Watch(token_); }
    // Ends the lifetime ahead of the holder's destruction, for a holder whose
    // destructor starts before the member is destroyed.
    void end() { token_.reset(); }

private:
    std::shared_ptr<const char> token_ = std::make_shared<const char>('\0');
};

}
