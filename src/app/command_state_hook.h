// Lets scan control and other rooms ask for the menu and toolbar states to be
// brought up to date, before the code that computes them exists.
#pragma once

using CommandStatesFunction = void (*)();
extern CommandStatesFunction UpdateCommandStatesHook;

inline void RefreshCommandStates() {
  if (UpdateCommandStatesHook) UpdateCommandStatesHook();
}
