#pragma once

#include "core/flows/jobs.h"

#include <QStringList>

namespace journal
{
class Recorder;
}

// The delete of the selected pictures: planned and run here; the window only asks, and words
// the report.
namespace flows
{

struct DeletePlan {
    // Each picture followed, when pairs are kept, by its RAW file and sidecar.
    QStringList files;
    bool toTrash = true;
};

// The plan of deleting the pictures, to the trash or for good.
[[nodiscard]] DeletePlan deletePlan(const QStringList &pictures, jobs::Pairs pairs, bool toTrash);

// Runs the plan through the journal given: every file that can be deleted is, the others are
// reported with their reasons.
[[nodiscard]] jobs::JobReport deletePictures(const DeletePlan &plan, platform::FileSystem &fs,
    journal::Recorder *journal = nullptr, jobs::Progress *progress = nullptr);

} // namespace flows
