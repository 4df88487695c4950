#pragma once
// Dialogs read from form files find their components by name through FormPart.
#include <string>

#include "korin/platform/core/Component.h"
#include "korin/platform/core/Object.h"
#include "korin/platform/core/TypInfo.h"

namespace korin {

// The component of Root's form file called Name, as a T. A form file that lacks it, or
// gives it another class, is refused: EReadError "<FormClass>: component '<Name>' is
// missing".
template <class T>
T* FormPart(TComponent* Root, const std::string& FormClass, const std::string& Name)
{
    T* c = As<T>(Root->FindComponent(Name));
    if (!c)
        throw EReadError(FormClass + ": component '" + Name + "' is missing");
    return c;
}

}  // namespace korin
