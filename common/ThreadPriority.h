#pragma once

// How urgently a worker thread of ours runs, from idle to time-critical.
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The kernel's id of the calling thread.
int CurrentThreadId();
// Gives a thread the nice value that stands for the priority; 0, or the system's error code
// when it was refused. Best effort: raising a priority needs privileges the program may not
// have, and the port works without it.
int ApplyThreadPriority(int threadId, TThreadPriority priority);
// The nice value a priority stands for.
int NiceValueOf(TThreadPriority priority);
