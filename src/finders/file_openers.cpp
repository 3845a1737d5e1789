#include "finders/file_openers.h"

namespace {
FileOpeners& installed() {
    static FileOpeners openers;
    return openers;
}
} // namespace

void setFileOpeners(FileOpeners openers) {
    installed() = std::move(openers);
}

const FileOpeners& fileOpeners() {
    return installed();
}
