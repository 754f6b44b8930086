// The 49 bitmaps the game loads at start-up: one list gives each its name in the code and its
// file under assets/. Shared by the loader (Dp::Init), the actors, the tests and the art tool
// that paints the files.
#pragma once

// One row an image, in the byte-wise order of the file names (capitals sort before small
// letters, and the heading numbers sort as text): an image's number is its place in this list,
// so a new image goes where its file name sorts, and the numbers after it move up by one.
// clang-format off
#define ROCKET_IMAGES(X) \
  X(kImageBody,                "body")             /*  0 */ \
  X(kImageBodyMidAir,          "bodyMidAir")       /*  1 */ \
  X(kImageBodyRWalkingB,       "bodyRWalkingB")    /*  2 */ \
  X(kImageBodyRWalkingC,       "bodyRWalkingC")    /*  3 */ \
  X(kImageBodyRwalking,        "bodyRwalking")     /*  4 */ \
  X(kImageEyeBlinkR,           "eyeBlinkR")        /*  5 */ \
  X(kImageEyeStareR,           "eyeStareR")        /*  6 */ \
  X(kImageEyesL,               "eyesL")            /*  7 */ \
  X(kImageEyesR,               "eyesR")            /*  8 */ \
  X(kImageHelmetL,             "helmetL")          /*  9 */ \
  X(kImageHelmetR,             "helmetR")          /* 10 */ \
  X(kImagePlanetCotton,        "planetCotton")     /* 11 */ \
  X(kImagePlanetFur,           "planetFur")        /* 12 */ \
  X(kImagePlanetRobot,         "planetRobot")      /* 13 */ \
  X(kImageRocket00,            "rocket00")         /* 14 */ \
  X(kImageRocket112,           "rocket112")        /* 15 */ \
  X(kImageRocket135,           "rocket135")        /* 16 */ \
  X(kImageRocket157,           "rocket157")        /* 17 */ \
  X(kImageRocket180,           "rocket180")        /* 18 */ \
  X(kImageRocket207,           "rocket207")        /* 19 */ \
  X(kImageRocket22,            "rocket22")         /* 20 */ \
  X(kImageRocket225,           "rocket225")        /* 21 */ \
  X(kImageRocket247,           "rocket247")        /* 22 */ \
  X(kImageRocket270,           "rocket270")        /* 23 */ \
  X(kImageRocket292,           "rocket292")        /* 24 */ \
  X(kImageRocket315,           "rocket315")        /* 25 */ \
  X(kImageRocket337,           "rocket337")        /* 26 */ \
  X(kImageRocket45,            "rocket45")         /* 27 */ \
  X(kImageRocket67,            "rocket67")         /* 28 */ \
  X(kImageRocket90,            "rocket90")         /* 29 */ \
  X(kImageRocketThrust00,      "rocketThrust00")   /* 30 */ \
  X(kImageRocketThrust112,     "rocketThrust112")  /* 31 */ \
  X(kImageRocketThrust135,     "rocketThrust135")  /* 32 */ \
  X(kImageRocketThrust157,     "rocketThrust157")  /* 33 */ \
  X(kImageRocketThrust180,     "rocketThrust180")  /* 34 */ \
  X(kImageRocketThrust207,     "rocketThrust207")  /* 35 */ \
  X(kImageRocketThrust22,      "rocketThrust22")   /* 36 */ \
  X(kImageRocketThrust225,     "rocketThrust225")  /* 37 */ \
  X(kImageRocketThrust247,     "rocketThrust247")  /* 38 */ \
  X(kImageRocketThrust270,     "rocketThrust270")  /* 39 */ \
  X(kImageRocketThrust292,     "rocketThrust292")  /* 40 */ \
  X(kImageRocketThrust315,     "rocketThrust315")  /* 41 */ \
  X(kImageRocketThrust337,     "rocketThrust337")  /* 42 */ \
  X(kImageRocketThrust45,      "rocketThrust45")   /* 43 */ \
  X(kImageRocketThrust67,      "rocketThrust67")   /* 44 */ \
  X(kImageRocketThrust90,      "rocketThrust90")   /* 45 */ \
  X(kImageStarsDragonFly,      "starsDragonFly")   /* 46 */ \
  X(kImageStarsOwl,            "starsOwl")         /* 47 */ \
  X(kImageStarsSquid,          "starsSquid")       /* 48 */

enum Image {
#define ROCKET_IMAGE_NAME(name, file) name,
  ROCKET_IMAGES(ROCKET_IMAGE_NAME)
#undef ROCKET_IMAGE_NAME
  kImageCount
};
// clang-format on
static_assert(kImageCount == 49, "the game loads 49 bitmaps");

// The path of image `image`, relative to the working directory; "" for any other number.
const char* ImagePath(int image);
