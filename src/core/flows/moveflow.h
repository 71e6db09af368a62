#pragma once

#include "core/flows/jobs.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace journal
{
class Recorder;
}

// The move of pictures into a folder, whether the move window or a drop onto a folder starts
// it: both plan it and run it here, and only ask, and word the report, themselves.
namespace flows
{

struct MovePlan {
    enum class Problem {
        None,
        NoDestination, // no folder was chosen: nothing can move
        NothingToMove, // no picture, or every one already in the folder
    };
    Problem problem = Problem::None;
    // Each picture followed, when pairs are kept, by its RAW file and sidecar; the target is
    // empty without a destination.
    QList<jobs::Target> files;
    jobs::Pairs pairs = jobs::Pairs::Apart;
    // The destination, when the window moving into it made it for this move: the batch's
    // undo removes it again if it is then empty.
    QString madeFolder;
};

// The plan of moving the pictures into the destination folder. Files already in it stay
// where they are and are left out.
[[nodiscard]] MovePlan movePlan(
    const QStringList &pictures, const QString &destination, jobs::Pairs pairs);

// Runs a plan that has no problem, through the journal given; a plan with one moves nothing.
[[nodiscard]] jobs::JobReport move(const MovePlan &plan, platform::FileSystem &fs,
    journal::Recorder *journal = nullptr, jobs::Progress *progress = nullptr);

} // namespace flows
