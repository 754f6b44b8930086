// Where the images are and how each is opened. The game's paths all begin "assets/"; the folder
// that holds assets/ is the working directory when it has one (the build tree, the tests),
// else the executable's own folder, else the data folder of an installed copy.
#include "platform/asset_files.h"

#include <sys/stat.h>

#include <string>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string FindAssetRoot() {
  if (IsFolder("assets")) {
    return "";
  }
  char* base = SDL_GetBasePath();  // the executable's folder, ending in a separator
  if (base == nullptr) {
    return "";
  }
  std::string root;
  for (const std::string& candidate : {std::string(base), base + std::string(kDataFromProgram)}) {
    if (IsFolder(candidate + "assets")) {
      root = candidate;
      break;
    }
  }
  SDL_free(base);
  return root;
}

SDL_RWops* OpenAsset(const char* path) {
#if defined(__unix__) || defined(__APPLE__)
  // Opened without blocking and checked before a byte is read: a pipe or a device at an image's
  // path would otherwise stall the start for ever.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    SDL_SetError("Couldn't open %s", path);
    return nullptr;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    SDL_SetError("Couldn't open %s: not a regular file", path);
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    close(fd);
    SDL_SetError("Couldn't open %s", path);
    return nullptr;
  }
  return SDL_RWFromFP(file, SDL_TRUE);
#else
  return SDL_RWFromFile(path, "rb");
#endif
}
