#pragma once
// Text form files: `object Name: TClass … end` blocks with nested objects and property
// lines, read and written through the published-property registry (TypInfo.h).
//
//     object DLGLocate: TDLGLocate
//       Caption = 'Locate Value'
//       Font.Style = [fsBold]
//       object FindFirstButton: TButton
//         Caption = '&Find First'
//         OnClick = FindFirstButtonClick
//       end
//     end
//
// Values: integers (with a sign, or $hex), strings ('…' with '' for a quote, #nnn for
// a character code, adjacent parts joined, + joining parts across lines), True/False,
// identifiers (enumeration values, named integers such as colours, component names,
// method names), sets [a, b], string lists ( 'a' 'b' ), collections < item … end > and
// binary data { hex }. Names compare without regard to case.
//
// Reading is all or nothing. The whole text is parsed and checked against the registry
// first (classes, properties, values), so a malformed file touches nothing. Only then
// are components created — each owned by the root, then placed on its enclosing
// component with SetParentComponent — and properties assigned in file order. Component
// references are resolved after every component exists; event names are bound to the
// methods the root registered (TComponent::RegisterMethod). If anything fails on the
// way (an unknown method or component name, a setter that refuses its value), every
// component created so far is freed and the root's properties that the file had
// touched are put back, so the root is as it was. Errors are EReadError with a message
// of the form "line 12: unknown property 'Captoin' of TButton".
//
// Every component read is in the loading state (csLoading) from its creation until
// its Loaded(), which runs once per component after all references are resolved:
// created components in creation order, the root last.
//
// A component reference names a component owned by the root, or the root itself;
// references into other forms are not resolved. An event binds only to a method
// registered with exactly the event's std::function type. `inherited` and `inline`
// blocks are not read.
#include <string>

#include "korin/platform/core/Component.h"
#include "korin/platform/core/TypInfo.h"

namespace korin {

// Reads a form file into an existing root. The file's own `object Name: TClass` header
// must name a registered class that the root is an instance of; the root's properties
// are those of its own registered class when it has one. The root keeps its name
// unless it has none, in which case it takes the file's.
void ReadComponentText(const std::string& Text, TComponent* Root);
// Creates a new root of the file's class, owned by Owner, and reads the file into it.
TComponent* CreateComponentFromText(const std::string& Text, TComponent* Owner = nullptr);
// Reads the form file compiled in as the resource ResName ("TDLGLocate") into Root.
void ReadComponentRes(const std::string& ResName, TComponent* Root);
// Reads a form file from disk into Root; EFilerError when it cannot be opened.
void ReadComponentResFile(const std::string& FileName, TComponent* Root);

// Writes Root and its children (GetChildren) as a form file, two spaces of indentation
// per level. A property is left out when it holds its stored default, when it is never
// stored or its storage test says no, and when there is nothing to write (an empty
// string list or collection, a null reference, an event not bound to a named method) —
// unless it is always stored. Raises EWriteError for a component whose class is not
// registered.
std::string WriteComponentText(TComponent* Root);
void WriteComponentResFile(const std::string& FileName, TComponent* Root);

}  // namespace korin
