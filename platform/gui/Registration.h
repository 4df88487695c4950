#pragma once
// Makes the window classes known to the form reader and writer (published properties
// with their stored defaults). Runs once, before the first form file is read; calling
// it again does nothing.
void RegisterGuiClasses();
// Identifier names of colours (clBtnFace, clWindow, …) and modal results (mrOk, …), for
// integer properties of other classes.
#include "platform/core/TypInfo.h"
TIdentMapPtr ColorIdents();
TIdentMapPtr ModalResultIdents();
