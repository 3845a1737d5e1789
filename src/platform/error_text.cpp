#include "platform/error_text.h"

#include <cstring>

QString systemErrorText(int code) {
    char buffer[256];
    // The GNU strerror_r returns the text, which need not be in the buffer.
    return QString::fromLocal8Bit(::strerror_r(code, buffer, sizeof buffer));
}
