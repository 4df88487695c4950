#pragma once
// The application's side of long engine statements: while a statement started from user
// text runs, pending messages are processed (forms repaint), keys and clicks are held
// off, and Esc cancels the statement ("Operation cancelled").
namespace korin {

// Installs the application's wait procedure with the engine (SetEngineWaitProc). The
// data-aware controls' registration does it; calling it again does nothing new.
void InstallApplicationEngineWait();
// One turn of the wait procedure (for tests and for applications that chain their own).
void ApplicationEngineWait();

}  // namespace korin
