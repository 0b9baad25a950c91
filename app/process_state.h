// The three values the whole process shares.
#pragma once

#include "platform/windows_api.h"
#include "setting/fast_resume_state.h"

// Module instance handle: every resource load (strings, dialog template) uses it.
extern HINSTANCE appInstance;

// The setting as read at start, and as the user last confirmed it with OK.
extern FastResumeState initialState;
extern FastResumeState chosenState;
