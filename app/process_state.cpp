#include "app/process_state.h"

// Zero-initialised, so they take no space in the image; the launch sequence
// sets all three before anything reads them.
HINSTANCE appInstance;
FastResumeState initialState;
FastResumeState chosenState;
