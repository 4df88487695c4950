#pragma once
// Makes the window classes known to the form reader and writer (published properties
// with their stored defaults). Runs once, before the first form file is read; calling
// it again does nothing.
#include "korin/platform/core/TypInfo.h"

namespace korin {

void RegisterGuiClasses();
// Identifier names of colours (clBtnFace, clWindow, …) and modal results (mrOk, …), for
// integer properties of other classes.
TIdentMapPtr ColorIdents();
TIdentMapPtr ModalResultIdents();

}  // namespace korin
