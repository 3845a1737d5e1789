#include "platform/clock.h"

namespace {
std::function<QDateTime()>& clockSeam() {
    static std::function<QDateTime()> seam;
    return seam;
}
} // namespace

QDateTime currentDateTime() {
    const auto& seam = clockSeam();
    return seam ? seam() : QDateTime::currentDateTime();
}

void setClock(std::function<QDateTime()> clock) {
    clockSeam() = std::move(clock);
}
