#pragma once
// The one exception class of the platform: every error the platform or the package
// raises derives from Exception and carries its exact message text.
#include <exception>
#include <string>

namespace korin {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    void SetMessage(std::string message) { FMessage = std::move(message); }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// Raised when a component is used in a way its design refuses (wrong owner, bad index…).
class EComponentError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace korin
