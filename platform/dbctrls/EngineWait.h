#pragma once
// The application's side of long engine statements: while a statement started from user
// text runs, pending messages are processed (forms repaint), keys and clicks are held
// off, and Esc cancels the statement ("Operation cancelled"). The same turn runs while a
// statement waits for a database locked by another connection; Esc there stops the wait
// and the statement fails with "database is locked" (a Post keeps the record in edit).
namespace korin {

// Installs the application's wait procedure with the engine (SetEngineWaitProc) and the
// engine's background work as the application's idle work (DoEngineIdleWork). The
// data-aware controls' registration does it; calling it again does nothing new.
void InstallApplicationEngineWait();
// One turn of the wait procedure (for tests and for applications that chain their own).
void ApplicationEngineWait();

}  // namespace korin
