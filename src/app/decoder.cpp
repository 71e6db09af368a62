// The worker that decodes the pictures whose decoders cannot be bounded from inside, with
// limits the program sets: it answers the program's requests on its standard input and
// output until the program closes them or is gone.
#include "core/pictures/decoderworkers.h"
#include "core/pictures/pictureloader.h"
#include "ui/widgets/translations.h"

#include <QCoreApplication>
#include <QLocale>

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace
{
// How often the worker looks whether the program that started it is still there.
constexpr int parentCheckSeconds = 1;
} // namespace

int main(int argc, char *argv[])
{
    // Only the program starts it: a request is binary.
    if (argc != 3 || std::string_view(argv[1]) != "--memory") {
        std::fputs(
            "ravelin-decoder is started by ravelin, which it decodes pictures for.\n", stderr);
        return 2;
    }
    // The limit on memory counts addresses, which each thread's own heap reserves by the
    // dozen megabytes: a few heaps are plenty for a decode.
#ifdef __GLIBC__
    ::mallopt(M_ARENA_MAX, 2);
#endif
#ifndef __SANITIZE_ADDRESS__
    // (AddressSanitizer reserves terabytes of addresses for itself: under it, no decode could
    // run within such a limit.)
    const auto bytes = rlim_t(std::strtoll(argv[2], nullptr, 10));
    const rlimit memory { bytes, bytes };
    ::setrlimit(RLIMIT_AS, &memory);
#endif
    // A worker ended for a limit leaves no core file behind.
    const rlimit noCore { 0, 0 };
    ::setrlimit(RLIMIT_CORE, &noCore);
    // Ended with the program, even in the middle of a decode.
    const pid_t parent = ::getppid();
    std::thread([parent] {
        while (::getppid() == parent)
            ::sleep(parentCheckSeconds);
        ::_exit(0);
    }).detach();

    const QCoreApplication app(argc, argv);
    installTranslations(QLocale());
    const QtPictureLoader loader(QtPictureLoader::Decoding::InProcess);
    return decoderworker::serve(STDIN_FILENO, STDOUT_FILENO, loader);
}
