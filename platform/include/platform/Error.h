#pragma once
// An error value: a domain, an integer code, a message (the localized
// description) and optionally the error that caused it. Cheap to copy.

#include <memory>
#include <string>

namespace platform {

struct Error {
    std::string domain;
    long code = 0;
    std::string message;
    std::shared_ptr<const Error> underlying; // the cause, when there is one

    Error() = default;
    Error(std::string d, long c, std::string m, std::shared_ptr<const Error> u = nullptr)
        : domain(std::move(d)), code(c), message(std::move(m)), underlying(std::move(u)) { }
    const std::string& localizedDescription() const { return message; }
};

}
