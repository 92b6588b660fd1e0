// Ctrl+C (and a polite kill) asks a running log to stop after its current reading.
#pragma once

// From now on the first SIGINT or SIGTERM only sets the request; a second one ends at once.
void CatchStopSignals();

bool StopRequested();
