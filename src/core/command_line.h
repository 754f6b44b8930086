// What the program makes of its arguments, before anything starts. Used by main.
#pragma once

// How the game is to start.
struct Options {
  bool muted = false;  // --mute: the sound off from the start
};

// Handles --help, --version and bad arguments by printing what they call for. Returns the
// status to exit with at once (0 after help or the version, 2 after a bad argument), or -1 when
// the game is to start, as `options` says: it takes no arguments but its options.
int HandleCommandLine(int argc, char* argv[], Options* options);
