// The player's rocket: sixteen headings, each coasting or thrusting, then momentum and the camera
// that follows. The 32 heading states are two class templates over the heading table.
#pragma once

#include "core/game_co.h"
#include "game/headings.h"

// Start state, first frame only: puts the rocket at rest at the origin, heading up.
class Rocket final : public GameCo {
 public:
  GameCo* Routine(Dp* dp, Db* db) override;
};

template <int H>
class RocketThrust;

// Coasting at heading H. Turning is tested before thrust, so turning while coasting never
// starts the engine.
template <int H>
class RocketCoast final : public GameCo {
 public:
  GameCo* Routine(Dp* dp, Db* db) override {
    dp->Blit(kHeadings[H].rocketImage, db->RocketX, db->RocketY);
    if (dp->keys[kKeyLeft]) {
      return Singleton<RocketCoast<PreviousHeading(H)>>();
    }
    if (dp->keys[kKeyRight]) {
      return Singleton<RocketCoast<NextHeading(H)>>();
    }
    if (dp->keys[kKeyUp]) {
      return Singleton<RocketThrust<H>>();
    }
    return this;
  }
};

// Thrusting at heading H. A turn keeps the engine on, whether or not up is still held, until
// neither turning key is.
template <int H>
class RocketThrust final : public GameCo {
 public:
  GameCo* Routine(Dp* dp, Db* db) override {
    db->RocketVx += kHeadings[H].thrustX;
    db->RocketVy += kHeadings[H].thrustY;
    dp->Blit(kHeadings[H].flameImage, db->RocketX, db->RocketY);
    dp->Blit(kHeadings[H].rocketImage, db->RocketX, db->RocketY);
    dp->Play(kSoundThruster, db->RocketX, db->RocketY);  // heard exactly while the flame shows
    if (dp->keys[kKeyLeft]) {
      return Singleton<RocketThrust<PreviousHeading(H)>>();
    }
    if (dp->keys[kKeyRight]) {
      return Singleton<RocketThrust<NextHeading(H)>>();
    }
    if (!dp->keys[kKeyUp]) {
      return Singleton<RocketCoast<H>>();
    }
    return this;
  }
};

// clang-format off
using Rocket00  = RocketCoast<0>;   using RocketThrust00  = RocketThrust<0>;
using Rocket22  = RocketCoast<1>;   using RocketThrust22  = RocketThrust<1>;
using Rocket45  = RocketCoast<2>;   using RocketThrust45  = RocketThrust<2>;
using Rocket67  = RocketCoast<3>;   using RocketThrust67  = RocketThrust<3>;
using Rocket90  = RocketCoast<4>;   using RocketThrust90  = RocketThrust<4>;
using Rocket112 = RocketCoast<5>;   using RocketThrust112 = RocketThrust<5>;
using Rocket135 = RocketCoast<6>;   using RocketThrust135 = RocketThrust<6>;
using Rocket157 = RocketCoast<7>;   using RocketThrust157 = RocketThrust<7>;
using Rocket180 = RocketCoast<8>;   using RocketThrust180 = RocketThrust<8>;
using Rocket207 = RocketCoast<9>;   using RocketThrust207 = RocketThrust<9>;
using Rocket225 = RocketCoast<10>;  using RocketThrust225 = RocketThrust<10>;
using Rocket247 = RocketCoast<11>;  using RocketThrust247 = RocketThrust<11>;
using Rocket270 = RocketCoast<12>;  using RocketThrust270 = RocketThrust<12>;
using Rocket292 = RocketCoast<13>;  using RocketThrust292 = RocketThrust<13>;
using Rocket315 = RocketCoast<14>;  using RocketThrust315 = RocketThrust<14>;
using Rocket337 = RocketCoast<15>;  using RocketThrust337 = RocketThrust<15>;
// clang-format on

// Moves the rocket by its velocity, then caps the velocity. The cap comes after the move, so a
// frame with thrust can move up to 12 pixels on an axis; coasting tops out at 10.
class RocketMomentum final : public GameCo {
 public:
  GameCo* Routine(Dp* dp, Db* db) override;
};

// Points the camera at the rocket, so the rocket is drawn at the canvas centre next frame.
class ViewportFollowRocket final : public GameCo {
 public:
  GameCo* Routine(Dp* dp, Db* db) override;
};
