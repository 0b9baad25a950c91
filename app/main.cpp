#include "app/launch_sequence.h"
#include "platform/windows_api.h"

// The command line and show state are not used: the program has no options.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return RunLaunchSequence(instance);
}
