#pragma once
// The local date and time, read once per use; tests can fix it.

#include <QDateTime>
#include <functional>

namespace platform {

QDateTime Now();
// While set, Now() returns what `source` gives.
void SetClockForTesting(std::function<QDateTime()> source);

}  // namespace platform
