#pragma once

// Counts the heap that operator new hands out in the whole benchmark program (linking this
// file replaces the global operator new and delete), so a phase's figures are read as the
// growth over what was held when it began.

long long heapLiveBytes();
long long heapPeakBytes();
// Starts a new peak at what is held now.
void resetHeapPeak();
