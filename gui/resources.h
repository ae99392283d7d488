#pragma once
// The program's pictures live in a resource file compiled into a static library; a static
// library's resources are linked in only when something asks for them by name.

namespace corvane {

// Registers the compiled resources (icons, forms' pictures). Safe to call more than once.
void initResources();

}  // namespace corvane
