// What the program makes of its arguments, before anything starts. Used by main.
#pragma once

// Handles --help, --version and bad arguments by printing what they call for. Returns the
// status to exit with at once (0 after help or the version, 2 after a bad argument), or -1 when
// the game is to start: it takes no arguments of its own.
int HandleCommandLine(int argc, char* argv[]);
