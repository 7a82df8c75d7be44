#include "platform/Clock.h"

namespace platform {
namespace {

std::function<QDateTime()>& source() {
  static std::function<QDateTime()> instance;
  return instance;
}

}  // namespace

QDateTime Now() { return source() ? source()() : QDateTime::currentDateTime(); }

void SetClockForTesting(std::function<QDateTime()> s) { source() = std::move(s); }

}  // namespace platform
