#pragma once

#include <QtGlobal>

// Registers the bundled icons and help pages. The resources live in a static
// library, so a program or test that uses them calls this once; the call also
// keeps the linker from dropping the resource data.
inline void initDaybrookResources()
{
    Q_INIT_RESOURCE(daybrook);
}
