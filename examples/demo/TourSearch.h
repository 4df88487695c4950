#pragma once
// The tour's search steps: incremental search in the company edit, FIND with the locate
// dialog, a miss with the balloon, and the shortcut editor.
#include <string>

#include "korin/platform/gui/Forms.h"

void RunSearchTour(korin::TForm* Form, const std::string& Shots);
