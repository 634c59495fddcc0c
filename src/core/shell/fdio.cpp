#include "fdio.h"

#include <cerrno>
#include <unistd.h>

#include "ioerror.h"

namespace tallyra::core {

TFd::~TFd() {
    if (Fd >= 0) ::close(Fd);
}

size_t ReadFull(int fd, char* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseSystemError(errno);
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

void WriteFull(int fd, const char* buffer, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, buffer, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseSystemError(errno);
        }
        buffer += n;
        size -= static_cast<size_t>(n);
    }
}

}  // namespace tallyra::core
