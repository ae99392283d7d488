#include "gui/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE names a function in the global namespace, so it cannot be used inside ours.
static void initCorvaneResources()
{
    Q_INIT_RESOURCE(corvane);
}

namespace corvane {

void initResources()
{
    static const bool done = [] {
        initCorvaneResources();
        return true;
    }();
    (void)done;
}

}  // namespace corvane
