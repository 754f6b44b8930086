// Finding the folder that holds the game's images, and opening one safely. Used by Dp::Init.
#pragma once

#include <SDL.h>

#include <string>

// The data folder of an installed copy, relative to the folder of the installed executable;
// the build sets it from the install layout.
#ifndef ROCKET_DATA_FROM_PROGRAM
#define ROCKET_DATA_FROM_PROGRAM "../share/rocket/"
#endif
constexpr const char* kDataFromProgram = ROCKET_DATA_FROM_PROGRAM;

// The folder to put before "assets/...": "" for the working directory when it has assets/,
// else the executable's folder or the installed data folder, whichever has assets/; "" again
// when none has, so that the first image's failure names the path as the game knows it.
std::string FindAssetRoot();

// Opens an image file for reading, or returns null with SDL's error set. Only a regular file is
// read: anything else at the path (a folder, a pipe, a device) is refused without blocking.
SDL_RWops* OpenAsset(const char* path);
