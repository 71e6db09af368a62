#pragma once

#include "core/pictures/pictureloader.h"

#include <QMutex>
#include <QString>
#include <memory>
#include <vector>

// Camera RAW, HEIF and the TIFF and WebP readers are large parsers of untrusted data that
// cannot be bounded from inside: a damaged file can keep one busy for minutes or have it take
// all memory. Such pictures are decoded in a worker process (ravelin-decoder) with limits on
// its memory, its processor time and the time it may take; a worker past a limit is ended and
// the picture has none, with the reason, and the next picture gets a new worker. Workers are
// kept between pictures, one for each thread that decodes at the same time.
class DecoderWorkers
{
    Q_DISABLE_COPY_MOVE(DecoderWorkers)
public:
    // program: the worker's executable; empty, the one installed with the program.
    explicit DecoderWorkers(const QString &program = {}, WorkerLimits limits = {});
    ~DecoderWorkers();

    // As PictureLoader::load (fitted false) or loadFitted (size's width the side).
    LoadedPicture decode(const QString &path, QSize size, bool fitted) const;
    // As PictureLoader::takenTime: the worker reads the time alone, decoding nothing.
    QDateTime takenTime(const QString &path) const;

    // The worker's executable: beside the program or in its libexec folder, or where
    // RAVELIN_DECODER names it.
    static QString standardProgram();

    struct Worker;

private:
    enum class Ask { Stretched, Fitted, TakenTime };
    LoadedPicture exchange(const QString &path, QSize size, Ask ask) const;
    std::unique_ptr<Worker> take() const;
    void giveBack(std::unique_ptr<Worker> worker) const;

    const QString m_program;
    const WorkerLimits m_limits;
    mutable QMutex m_mutex;
    mutable std::vector<std::unique_ptr<Worker>> m_idle;
};

// The worker's side: answers the requests read from in on out until in ends, decoding each
// picture with loader (which decodes in process).
namespace decoderworker
{
int serve(int in, int out, const PictureLoader &loader);
} // namespace decoderworker
