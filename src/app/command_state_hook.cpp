#include "app/command_state_hook.h"

CommandStatesFunction UpdateCommandStatesHook = nullptr;
