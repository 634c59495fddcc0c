// SPDX-License-Identifier: GPL-3.0-or-later
// A lock held by another process, for the tests of the data file locks.
#pragma once

#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tallyra::core::testing {

// A flock (LOCK_SH or LOCK_EX) on `path` held by a child process until the
// object goes. `Taken` tells whether the child got it.
class TOtherProcessLock {
public:
    TOtherProcessLock(const std::string& path, int operation) {
        int ready[2], hold[2];
        if (::pipe(ready) != 0 || ::pipe(hold) != 0) return;
        Child = ::fork();
        if (Child == 0) {
            ::close(ready[0]);
            ::close(hold[1]);
            const int fd = ::open(path.c_str(), O_RDONLY);
            const char ok = fd >= 0 && ::flock(fd, operation | LOCK_NB) == 0 ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            char c;
            (void)!::read(hold[0], &c, 1);  // until the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(hold[0]);
        Hold = hold[1];
        char ok = '0';
        Taken = ::read(ready[0], &ok, 1) == 1 && ok == '1';
        ::close(ready[0]);
    }
    ~TOtherProcessLock() {
        if (Hold >= 0) ::close(Hold);
        int status = 0;
        if (Child > 0) ::waitpid(Child, &status, 0);
    }
    TOtherProcessLock(const TOtherProcessLock&) = delete;
    TOtherProcessLock& operator=(const TOtherProcessLock&) = delete;

    bool Taken = false;

private:
    pid_t Child = -1;
    int Hold = -1;
};

}  // namespace tallyra::core::testing
