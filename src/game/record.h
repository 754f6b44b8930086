// The game record's text form: ten lines "Key:value;" in the record's field order, for saving and
// restoring a game. The running game does not call these.
#pragma once

#include <cstdio>

#include "game/db.h"

// Writes the ten lines. Returns the last write's result (negative on a write error).
int CerealizeGame(FILE* file, Db db);

// Reads a record written by CerealizeGame. Fields whose entry is missing or malformed are 0;
// use TryDecerealizeGame to learn whether all ten were read.
Db DecerealizeGame(FILE* file);

// Reads the ten entries in order into `*db`, which starts all zero. White space may stand before
// each entry and around its parts; values read as "%i" does (sign, decimal, 0x hexadecimal or
// leading-zero octal) but must fit in 32 bits. Reading stops at the first entry that does not
// match; the fields before it keep their values, the rest stay 0. True if all ten were read.
bool TryDecerealizeGame(FILE* file, Db* db);
