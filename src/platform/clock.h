#pragma once

#include <QDateTime>
#include <functional>

// "Now" for the whole program, local time. Tests replace it to fix the date.
QDateTime currentDateTime();
// Installs a replacement clock; an empty function restores the system clock.
void setClock(std::function<QDateTime()> clock);
