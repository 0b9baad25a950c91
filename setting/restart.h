#pragma once

// Asks Windows to restart so that a changed setting takes effect. Silent in
// every case; without the shutdown privilege the request is simply refused.
void RestartWindows();
