#pragma once

#include <QString>

// The system's own words for an error number, such as "Permission denied" for EACCES.
QString systemErrorText(int code);
