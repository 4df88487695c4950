#pragma once
// Makes the data-aware controls and the data-access components (data sources, databases,
// tables, queries) known to the form reader and writer, and installs the application's
// wait procedure for long engine statements (EngineWait.h). Runs once when the layer is
// linked in; calling it again does nothing.

namespace korin {
void RegisterDbControlClasses();

}  // namespace korin
