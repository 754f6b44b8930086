// The coroutine types of this game: every Routine takes the platform object and the record.
#pragma once

#include "core/co.h"
#include "game/db.h"
#include "platform/dp.h"

using GameCo = Co<Dp*, Db*>;
using GameCos = Cos<Dp*, Db*>;
