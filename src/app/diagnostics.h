// Internal failure texts (English, never shown to the user).
#pragma once

// Levels: 0 start-up and main panes, 1 consistency failures, 2 unreadable drive.
void DiagnosticSink(int level, const char* text);

// Lets a test (or a debug build) observe the texts; null stops observing.
using DiagnosticObserver = void (*)(int level, const char* text);
void SetDiagnosticObserver(DiagnosticObserver observer);
