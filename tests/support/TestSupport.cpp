// Shared helpers for the test programs.
