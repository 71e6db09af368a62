#include "core/pictures/decoderworkers.h"

#include "core/buildinfo.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace
{

// A request: the size, what is asked (0 the picture stretched to the size, 1 fitted in its
// width, 2 the time taken alone), the processor seconds it may take, then the path's bytes.
// Both ends are one build on one machine: fields are native.
enum Asked : qint32 { Stretched = 0, Fitted = 1, TakenAlone = 2 };

struct RequestHead {
    qint32 width = 0;
    qint32 height = 0;
    qint32 asked = Stretched;
    qint32 cpuSeconds = 0;
    quint32 pathBytes = 0;
};

enum Status : qint32 { Picture = 0, Failed = 1, OutOfMemory = 2 };

// A reply: the status, then the reason's bytes when there is no picture, or the picture's
// pixels, row after row. The time taken comes with either, in milliseconds from the epoch.
struct ReplyHead {
    qint32 status = Failed;
    qint32 decoded = 0;
    qint64 takenMs = 0;
    qint32 taken = 0;
    qint32 width = 0;
    qint32 height = 0;
    qint32 format = 0;
    qint32 bytesPerLine = 0;
    quint32 textBytes = 0;
};

constexpr quint32 maxPathBytes = 64 * 1024;
constexpr quint32 maxTextBytes = 64 * 1024;

// Waits for fd up to the deadline; false when it passed.
bool waitFor(int fd, short events, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd entry { fd, events, 0 };
        const qint64 left = deadline.remainingTime();
        const int ready = ::poll(&entry, 1, left < 0 ? -1 : int(qMin<qint64>(left, INT_MAX)));
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            return false;
    }
}

bool readAll(int fd, void *data, size_t size,
    const QDeadlineTimer &deadline = QDeadlineTimer(QDeadlineTimer::Forever))
{
    auto *at = static_cast<char *>(data);
    while (size > 0) {
        if (!deadline.isForever() && !waitFor(fd, POLLIN, deadline))
            return false;
        const ssize_t got = ::read(fd, at, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        at += got;
        size -= size_t(got);
    }
    return true;
}

bool writeAll(int fd, const void *data, size_t size,
    const QDeadlineTimer &deadline = QDeadlineTimer(QDeadlineTimer::Forever))
{
    const auto *at = static_cast<const char *>(data);
    while (size > 0) {
        if (!deadline.isForever() && !waitFor(fd, POLLOUT, deadline))
            return false;
        // A socket: a worker that is gone gives an error, never a signal that ends the program.
        const ssize_t sent = ::send(fd, at, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        at += sent;
        size -= size_t(sent);
    }
    return true;
}

QString text(const char *source)
{
    return QCoreApplication::translate("PictureLoader", source);
}

} // namespace

struct DecoderWorkers::Worker {
    pid_t pid = -1;
    int fd = -1;
    QString error;

    Worker(const QString &program, qint64 memoryBytes)
    {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pair[1], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, pair[1], STDOUT_FILENO);
        const QByteArray name = QFile::encodeName(program);
        const QByteArray memory = QByteArray::number(memoryBytes);
        char *argv[] = { const_cast<char *>(name.constData()), const_cast<char *>("--memory"),
            const_cast<char *>(memory.constData()), nullptr };
        const int failed = ::posix_spawn(&pid, name.constData(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pair[1]);
        fd = pair[0];
        if (failed != 0) {
            pid = -1;
            error = QString::fromLocal8Bit(std::strerror(failed));
        }
    }

    ~Worker() { end(); }

    // Ends the worker now and says how it had ended, when it had.
    int end()
    {
        int status = 0;
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
        }
        pid = -1;
        return status;
    }

    // Whether the worker had ended by itself, and how.
    int endedStatus()
    {
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return status;
        }
        return end();
    }
};

DecoderWorkers::DecoderWorkers(const QString &program, WorkerLimits limits)
    : m_program(program.isEmpty() ? standardProgram() : program)
    , m_limits(limits)
{
}

DecoderWorkers::~DecoderWorkers() = default;

QString DecoderWorkers::standardProgram()
{
    const QString named = qEnvironmentVariable("RAVELIN_DECODER");
    if (!named.isEmpty())
        return named;
    const QString folder = QCoreApplication::applicationDirPath();
    const QString beside = folder + QStringLiteral("/ravelin-decoder");
    const QString libexec
        = folder + QStringLiteral("/" RAVELIN_LIBEXEC_FROM_PROGRAM "/ravelin-decoder");
    return QFileInfo(beside).isExecutable() || !QFileInfo(libexec).isExecutable() ? beside
                                                                                  : libexec;
}

std::unique_ptr<DecoderWorkers::Worker> DecoderWorkers::take() const
{
    {
        const QMutexLocker lock(&m_mutex);
        if (!m_idle.empty()) {
            std::unique_ptr<Worker> worker = std::move(m_idle.back());
            m_idle.pop_back();
            return worker;
        }
    }
    return std::make_unique<Worker>(m_program, m_limits.memoryBytes);
}

void DecoderWorkers::giveBack(std::unique_ptr<Worker> worker) const
{
    const QMutexLocker lock(&m_mutex);
    m_idle.push_back(std::move(worker));
}

LoadedPicture DecoderWorkers::decode(const QString &path, QSize size, bool fitted) const
{
    return exchange(path, size, fitted ? Ask::Fitted : Ask::Stretched);
}

QDateTime DecoderWorkers::takenTime(const QString &path) const
{
    return exchange(path, QSize(), Ask::TakenTime).taken;
}

LoadedPicture DecoderWorkers::exchange(const QString &path, QSize size, Ask ask) const
{
    const bool fitted = ask == Ask::Fitted;
    std::unique_ptr<Worker> worker = take();
    if (worker->pid <= 0) {
        return { {},
            text("The picture decoder %1 cannot be started: %2.")
                .arg(QDir::toNativeSeparators(m_program), worker->error) };
    }
    // The watchdog: a worker that has not answered in time is ended.
    const QDeadlineTimer deadline(m_limits.wallMs);
    const QByteArray pathBytes = QFile::encodeName(path);
    RequestHead request;
    request.width = size.width();
    request.height = size.height();
    request.asked = ask == Ask::TakenTime ? TakenAlone : fitted ? Fitted : Stretched;
    request.cpuSeconds = m_limits.cpuSeconds;
    request.pathBytes = quint32(pathBytes.size());
    ReplyHead reply;
    const bool answered = writeAll(worker->fd, &request, sizeof request, deadline)
        && writeAll(worker->fd, pathBytes.constData(), size_t(pathBytes.size()), deadline)
        && readAll(worker->fd, &reply, sizeof reply, deadline) && reply.textBytes <= maxTextBytes;
    // What a worker may send back: no more than was asked for, in the format the grid paints.
    const QSize shape(reply.width, reply.height);
    const QSize most = fitted ? QSize(size.width(), size.width()) : size;
    const auto format = static_cast<QImage::Format>(reply.format);
    const bool fits = reply.status != Picture
        || (shape.isValid() && !shape.isEmpty() && shape.width() <= most.width()
            && shape.height() <= most.height()
            && (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied));
    LoadedPicture result;
    bool received = answered && fits;
    if (received) {
        QByteArray reason(qsizetype(reply.textBytes), Qt::Uninitialized);
        received = readAll(worker->fd, reason.data(), size_t(reason.size()), deadline);
        result.error = QString::fromUtf8(reason);
        if (received && reply.status == Picture) {
            result.image = QImage(shape, format);
            received = !result.image.isNull() && result.image.bytesPerLine() == reply.bytesPerLine
                && readAll(
                    worker->fd, result.image.bits(), size_t(result.image.sizeInBytes()), deadline);
            result.decoded = reply.decoded != 0;
        }
        if (reply.taken != 0)
            result.taken = QDateTime::fromMSecsSinceEpoch(reply.takenMs, QTimeZone::utc());
    }
    if (received && reply.status != OutOfMemory) {
        giveBack(std::move(worker));
        return result;
    }
    const bool late = deadline.hasExpired();
    const int status = worker->endedStatus();
    if (received) // out of memory: the worker ended after it told so
        return { {},
            text("The picture needs more than %1 MB of memory to decode.")
                .arg(m_limits.memoryBytes / (1024 * 1024)) };
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)
        return { {},
            text("The picture took more than %1 seconds of processor time to decode.")
                .arg(m_limits.cpuSeconds) };
    if (late)
        return {
            {},
            text("The picture took longer than %1 seconds to decode.").arg(m_limits.wallMs / 1000.0)
        };
    return { {},
        text("The picture decoder stopped while it read the picture (%1).")
            .arg(WIFSIGNALED(status) ? QStringLiteral("signal %1").arg(WTERMSIG(status))
                                     : QStringLiteral("exit %1").arg(WEXITSTATUS(status))) };
}

namespace decoderworker
{

namespace
{
    // Test seams, honoured by the worker alone: a decoder that never answers, that spins, or
    // that takes all the memory it may.
    void stallIfAsked()
    {
        static const QByteArray stall = qgetenv("RAVELIN_DECODER_TEST");
        if (stall == "sleep") {
            for (;;)
                ::pause();
        }
        if (stall == "spin") {
            volatile quint64 turns = 0;
            for (;;)
                turns = turns + 1;
        }
        if (stall == "allocate") {
            static std::vector<void *> held;
            for (;;) {
                void *block = std::malloc(16 * 1024 * 1024);
                if (block == nullptr)
                    throw std::bad_alloc();
                held.push_back(block);
            }
        }
    }

    // This picture's processor time, counted from what the worker has used so far.
    void limitProcessorTime(int seconds)
    {
        rusage used {};
        ::getrusage(RUSAGE_SELF, &used);
        rlimit limit {};
        ::getrlimit(RLIMIT_CPU, &limit);
        limit.rlim_cur = rlim_t(used.ru_utime.tv_sec + used.ru_stime.tv_sec + 1 + seconds);
        if (limit.rlim_max != RLIM_INFINITY && limit.rlim_cur > limit.rlim_max)
            limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_CPU, &limit);
    }
} // namespace

int serve(int in, int out, const PictureLoader &loader)
{
    for (;;) {
        RequestHead request;
        if (!readAll(in, &request, sizeof request) || request.pathBytes > maxPathBytes)
            return 0;
        QByteArray pathBytes(qsizetype(request.pathBytes), Qt::Uninitialized);
        if (!readAll(in, pathBytes.data(), size_t(pathBytes.size())))
            return 0;
        const QString path = QFile::decodeName(pathBytes);
        limitProcessorTime(request.cpuSeconds);
        ReplyHead reply;
        LoadedPicture picture;
        try {
            stallIfAsked();
            if (request.asked == TakenAlone)
                picture.taken = loader.takenTime(path);
            else if (request.asked == Fitted)
                picture = loader.loadFitted(path, request.width);
            else
                picture = loader.load(path, QSize(request.width, request.height));
            if (picture.ok())
                picture.image = picture.image.convertToFormat(picture.image.hasAlphaChannel()
                        ? QImage::Format_ARGB32_Premultiplied
                        : QImage::Format_RGB32);
        } catch (const std::bad_alloc &) {
            reply.status = OutOfMemory;
            return writeAll(out, &reply, sizeof reply) ? 0 : 1;
        }
        const QByteArray reason = picture.error.toUtf8().left(maxTextBytes);
        reply.status = picture.ok() ? Picture : Failed;
        reply.decoded = picture.decoded ? 1 : 0;
        reply.taken = picture.taken.isValid() ? 1 : 0;
        reply.takenMs = picture.taken.isValid() ? picture.taken.toMSecsSinceEpoch() : 0;
        reply.width = picture.image.width();
        reply.height = picture.image.height();
        reply.format = picture.image.format();
        reply.bytesPerLine = int(picture.image.bytesPerLine());
        reply.textBytes = quint32(reason.size());
        if (!writeAll(out, &reply, sizeof reply)
            || !writeAll(out, reason.constData(), size_t(reason.size()))
            || (picture.ok()
                && !writeAll(out, picture.image.constBits(), size_t(picture.image.sizeInBytes()))))
            return 1;
    }
}

} // namespace decoderworker
