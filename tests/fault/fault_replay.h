#pragma once

// Records each main scenario's run and registers one test per recorded call,
// replaying the scenario with that call failing; false when a scenario's
// calls cannot be recorded.
bool RegisterFaultReplays();
