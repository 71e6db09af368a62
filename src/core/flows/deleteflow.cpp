#include "core/flows/deleteflow.h"

#include "core/pictures/pictureformats.h"

namespace flows
{

DeletePlan deletePlan(const QStringList &pictures, jobs::Pairs pairs, bool toTrash)
{
    return { pairs == jobs::Pairs::Together ? pictureformats::withCompanions(pictures) : pictures,
        toTrash };
}

jobs::JobReport deletePictures(const DeletePlan &plan, platform::FileSystem &fs,
    journal::Recorder *journal, jobs::Progress *progress)
{
    return jobs::deleteFiles(plan.files, plan.toTrash, fs, journal, progress);
}

} // namespace flows
