// The command line: help, version, the sound off, and a clear refusal of anything else, so a
// typo never starts the game by surprise.
#include "core/command_line.h"

#include <getopt.h>

#include <cstdio>
#include <cstring>

#include "platform/asset_files.h"

#ifndef ROCKET_VERSION
#define ROCKET_VERSION "unknown"
#endif

namespace {

constexpr int kBadUsage = 2;

void PrintHelp() {
  std::printf(
      "rocket %s: a small 2D space game. Fly a rocket through open space, past three layers of\n"
      "stars, three planets and a bouncing ball.\n"
      "\n"
      "Usage: rocket [OPTION]\n"
      "\n"
      "Controls:                keyboard     gamepad\n"
      "  turn the rocket        Left, Right  D-pad left and right, left stick\n"
      "  fire the thruster      Up           A (south button), right trigger, D-pad up\n"
      "  quit                   Escape, q    Back\n"
      "  fullscreen or window   F11, Alt+Enter\n"
      "  sound off or on        M\n"
      "\n"
      "Options:\n"
      "  -m, --mute      start with the sound off\n"
      "  -h, --help      show this help and exit\n"
      "  -v, --version   show the version and exit\n"
      "\n"
      "The images are looked for in assets/ under the working directory, then beside the\n"
      "program, then in %sassets/ from the program's folder.\n",
      ROCKET_VERSION, kDataFromProgram);
}

int Refuse(const char* what, const char* argument) {
  std::fprintf(stderr, "rocket: %s '%s'; try 'rocket --help'\n", what, argument);
  return kBadUsage;
}

}  // namespace

int HandleCommandLine(int argc, char* argv[], Options* options) {
  static const option kOptions[] = {
      {"mute", no_argument, nullptr, 'm'},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, 'v'},
      {nullptr, 0, nullptr, 0},
  };
  opterr = 0;  // getopt's own messages differ by C library; ours name the argument the same way
  optind = 1;
  // "+": stop at the first word that is not an option, so a stray word is refused rather than
  // skipped over.
  for (int option; (option = getopt_long(argc, argv, "+mhv", kOptions, nullptr)) != -1;) {
    switch (option) {
      case 'm':
        options->muted = true;
        break;
      case 'h':
        PrintHelp();
        return 0;
      case 'v':
        std::printf("rocket %s\n", ROCKET_VERSION);
        return 0;
      default: {
        // A long option is named as it was typed; a short one by its letter.
        const char* typed = argv[optind - 1];
        if (std::strncmp(typed, "--", 2) == 0) {
          return Refuse("unknown option", typed);
        }
        const char letter[] = {'-', char(optopt), '\0'};
        return Refuse("unknown option", letter);
      }
    }
  }
  if (optind < argc) {
    return Refuse("unexpected argument", argv[optind]);
  }
  return -1;
}
