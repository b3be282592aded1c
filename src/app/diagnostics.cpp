#include "app/diagnostics.h"

#include <windows.h>

namespace {
DiagnosticObserver volatile g_observer = nullptr;
}

void DiagnosticSink(int level, const char* text) {
  DiagnosticObserver observer = g_observer;
  if (observer) observer(level, text);
}

void SetDiagnosticObserver(DiagnosticObserver observer) { g_observer = observer; }
