#include "ui_probe.h"

#include <algorithm>
#include <cmath>

#include "stopwatch.h"

namespace {

constexpr double PROBE_INTERVAL_S = 0.010;

double Percentile(const std::vector<double>& sorted, double fraction) {
  if (sorted.empty()) return 0;
  size_t rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
  return sorted[std::min(sorted.size(), std::max<size_t>(rank, 1)) - 1];
}

}  // namespace

bool UiProbe::Start() {
  stop_ = 0;
  latenciesMs_.clear();
  latenciesMs_.reserve(1 << 16);
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  return thread_ != nullptr;
}

LatencySummary UiProbe::Stop() {
  if (thread_) {
    InterlockedExchange(&stop_, 1);
    // The probe may be inside its SendMessage, and a finished scan worker may
    // still be refreshing the toolbar: answer sent messages while waiting.
    MSG msg;
    while (MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0)
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  std::vector<double> sorted = latenciesMs_;
  std::sort(sorted.begin(), sorted.end());
  return {sorted.size(), Percentile(sorted, 0.50), Percentile(sorted, 0.99), sorted.empty() ? 0 : sorted.back()};
}

DWORD WINAPI UiProbe::Run(void* parameter) {
  auto* self = static_cast<UiProbe*>(parameter);
  double next = NowSeconds();
  while (!self->stop_) {
    const double sent = NowSeconds();
    SendMessageA(self->window_, WM_NULL, 0, 0);
    const double answered = NowSeconds();
    self->latenciesMs_.push_back((answered - sent) * 1000.0);
    // A late answer is followed by the next probe at once, not by a catch-up burst.
    next = std::max(next + PROBE_INTERVAL_S, answered);
    const double wait = next - NowSeconds();
    if (wait > 0) Sleep(static_cast<DWORD>(wait * 1000.0 + 0.5));
  }
  return 0;
}
