// The save folder's lock, and the call a later copy sends the copy holding it.
//
// NOTE: a record lock (fcntl), not flock: the system itself names the
// holder's process (F_GETLK), so a later copy only ever calls the copy that
// really holds the lock, never a process whose number an old lock file
// happens to hold. The number written into the file is for a player who looks.
#include "host/base/save_folder_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace host {

namespace {

const char* const LOCK_FILE_NAME = ".vendlelock";
// Permission bits before the umask, as fopen gives the state file.
constexpr mode_t LOCK_FILE_MODE = 0666;
// The call: its handler only notes it; the window system answers it.
constexpr int CALL_SIGNAL = SIGUSR1;
// A holder may end between the failed lock and the question who holds it;
// the lock is then tried again, this many times in all.
constexpr int CLAIM_ATTEMPTS = 3;

volatile sig_atomic_t called = 0;

// The signal's handler: nothing but the note is safe to do here.
void note_call(int) {
    called = 1;
}

// NOTE: before the lock is taken: a call that comes the moment it is ours
// must not end this copy, as the signal would without a handler.
void listen_for_calls() {
    struct sigaction action = {};
    action.sa_handler = note_call;
    sigemptyset(&action.sa_mask);
    // Reads and writes of the saves go on through a call.
    action.sa_flags = SA_RESTART;
    sigaction(CALL_SIGNAL, &action, nullptr);
}

// A lock of `type` over the whole file, however long it grows.
struct flock whole_file(short type) {
    struct flock range = {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    return range;
}

// This copy's process number in place of whatever an earlier holder left.
void write_holder(int fd) {
    if (ftruncate(fd, 0) != 0) return;
    dprintf(fd, "%ld\n", static_cast<long>(getpid()));
}

// Calls the copy that holds the lock on `fd`; UNLOCKED when nobody holds it
// any more, so the caller tries again.
SaveFolder call_holder(int fd) {
    struct flock holder = whole_file(F_WRLCK);
    if (fcntl(fd, F_GETLK, &holder) != 0) return SaveFolder::IN_USE;
    if (holder.l_type == F_UNLCK) return SaveFolder::UNLOCKED;
    // A holder in another process namespace shows as 0, which kill would
    // read as this copy's own process group.
    if (holder.l_pid > 0 && kill(holder.l_pid, CALL_SIGNAL) == 0) return SaveFolder::CALLED;
    return SaveFolder::IN_USE;
}

}  // namespace

SaveFolder claim_save_folder() {
    listen_for_calls();
    // The descriptor stays open while the copy runs: closing it lets go of the lock.
    const int fd = open(LOCK_FILE_NAME, O_RDWR | O_CREAT | O_CLOEXEC, LOCK_FILE_MODE);
    if (fd < 0) return SaveFolder::UNLOCKED;
    for (int attempt = 0; attempt < CLAIM_ATTEMPTS; ++attempt) {
        struct flock lock = whole_file(F_WRLCK);
        if (fcntl(fd, F_SETLK, &lock) == 0) {
            write_holder(fd);
            return SaveFolder::OURS;
        }
        // Any other failure is a file system without locks: play on as before.
        if (errno != EACCES && errno != EAGAIN) break;
        const SaveFolder answer = call_holder(fd);
        if (answer != SaveFolder::UNLOCKED) {
            close(fd);
            return answer;
        }
    }
    close(fd);
    return SaveFolder::UNLOCKED;
}

bool take_forward_call() {
    if (!called) return false;
    called = 0;
    return true;
}

}  // namespace host
