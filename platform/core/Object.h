#pragma once
// TObject: the root of every class of the platform and the package. Class-membership
// tests are dynamic_cast; ClassName() answers the class's own name ("TTable").
#include <functional>
#include <string>

namespace korin {

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The name of the object's most derived class, as written in the source.
    std::string ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Checked cast: the object as a T, or nullptr (the "is" test of the design).
template <class T, class U>
T* As(U* object) { return dynamic_cast<T*>(object); }
template <class T, class U>
bool Is(const U* object) { return object != nullptr && dynamic_cast<const T*>(object) != nullptr; }

}  // namespace korin
