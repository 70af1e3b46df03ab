// Test set-up for the end-to-end check under Wine, preloaded into Wine only: the simulator's
// pseudo-terminal has no modem lines, so TIOCMGET fails there and Wine's GetCommModemStatus
// with it, where a real COM port with a wired cable reports CTS. This answers TIOCMGET on a
// terminal that has no modem lines as a cable would: CTS, DSR and carrier on. Nothing else
// changes; the program under test keeps the Windows behaviour of failing when the call fails.
#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <sys/ioctl.h>
#include <unistd.h>

extern "C" int ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    using Ioctl = int (*)(int, unsigned long, void*);
    static const Ioctl real = reinterpret_cast<Ioctl>(dlsym(RTLD_NEXT, "ioctl"));
    const int rc = real(fd, request, arg);
    if (rc != 0 && errno == ENOTTY && request == TIOCMGET && arg != nullptr && isatty(fd)) {
        *static_cast<int*>(arg) = TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
        return 0;
    }
    return rc;
}
