#pragma once
// The demo tour's filter and query steps: a filter typed in the filter box and released,
// then a query composed by clicks in the condition builder with a sort order, applied and
// released. Screenshots of the dialogs and the form go to Shots as query-N-*.png.
#include <string>

namespace korin {
class TForm;
void RunQueryTour(TForm* Form, const std::string& Shots);
}  // namespace korin
