// Records the texts the code under test passes to DiagnosticSink while it
// lives; one at a time.
#pragma once
#include <string>
#include <vector>

#include "app/diagnostics.h"

class DiagnosticLog {
 public:
  DiagnosticLog() {
    Active() = this;
    SetDiagnosticObserver([](int, const char* text) { Active()->texts.push_back(text); });
  }
  ~DiagnosticLog() {
    SetDiagnosticObserver(nullptr);
    Active() = nullptr;
  }
  DiagnosticLog(const DiagnosticLog&) = delete;
  DiagnosticLog& operator=(const DiagnosticLog&) = delete;

  bool Has(const std::string& part) const {
    for (const std::string& text : texts)
      if (text.find(part) != std::string::npos) return true;
    return false;
  }

  std::vector<std::string> texts;

 private:
  static DiagnosticLog*& Active() {
    static DiagnosticLog* active = nullptr;
    return active;
  }
};
