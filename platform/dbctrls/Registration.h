#pragma once
// Makes the data-aware controls and the data-access components (data sources, databases,
// tables, queries) known to the form reader and writer. Runs once when the layer is
// linked in; calling it again does nothing.

namespace korin {
void RegisterDbControlClasses();

}  // namespace korin
