#include "common/resources_init.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerResources() {
    Q_INIT_RESOURCE(resources);
}

void initResources() {
    static const bool done = (registerResources(), true);
    (void)done;
}
