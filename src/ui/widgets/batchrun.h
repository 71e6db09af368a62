#pragma once

#include "core/files/platform.h"
#include "core/flows/jobs.h"

#include <QString>
#include <functional>

// A batch of file operations, run with the progress it counts its files in.
using Batch = std::function<jobs::JobReport(jobs::Progress &progress)>;

// Runs a batch on a thread of its own and returns its report once it is over. Meanwhile the
// windows keep painting but take no input, so that no other command starts, and the hourglass
// shows; a batch that lasts more than a moment also shows a window with how many of its
// files are done. progressText has %1 for the files done and %2 for all of them ("Moving
// files… %1 of %2"). The batch must show no box: ask before it, and report after.
[[nodiscard]] jobs::JobReport runBatch(platform::MousePointer &mouse, const QString &progressText,
    qsizetype total, const Batch &batch);
