// ncurses without its function-like macros (clear(), move(), timeout() and
// the like would rename members of the standard library). Include it after
// every other header: it defines TRUE and FALSE as macros.
#pragma once

#ifndef NCURSES_NOMACROS
#define NCURSES_NOMACROS
#endif
#include <curses.h>
