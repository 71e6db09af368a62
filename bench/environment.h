#pragma once

#include <QtGlobal>

// What every benchmark of the grid runs with unless told otherwise: no screen needed, and the
// pictures the program decodes in its worker process decoded in this build's worker (the
// benchmarks do not lie beside it, where the program looks for it).
inline void setBenchEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef RAVELIN_BENCH_DECODER
    if (qEnvironmentVariableIsEmpty("RAVELIN_DECODER"))
        qputenv("RAVELIN_DECODER", RAVELIN_BENCH_DECODER);
#endif
}
