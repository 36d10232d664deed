// One copy of the desktop game per save folder.
//
// Every save writes the whole state file (and the kept game) from the saving
// copy's memory, so two copies playing from one folder would write over each
// other's scores and both resume the same kept game. The first copy holds a
// lock on ".vendlelock" in the working directory for as long as it runs; a
// copy started after it finds the lock taken, calls the first copy's window
// to the front and exits before it has read or saved anything. The system
// lets go of the lock when its holder ends, crashed or not, so a lock file
// left behind stops nobody. Desktop only: the browser keeps its saves
// elsewhere.
#ifndef MOXEL_HOST_BASE_SAVE_FOLDER_LOCK_H
#define MOXEL_HOST_BASE_SAVE_FOLDER_LOCK_H

namespace host {

enum class SaveFolder {
    OURS,      // this copy holds the lock until it exits
    UNLOCKED,  // no lock can be had here (a read-only folder, say): play on without one
    CALLED,    // another copy holds it and was asked to bring its window to the front
    IN_USE,    // another copy holds it and could not be asked
};

// Listens for the calls of later copies, then takes the working directory's
// lock or calls the copy that holds it. Once, before the window is made.
SaveFolder claim_save_folder();

// True once for each call from a later copy since the last time it was asked.
bool take_forward_call();

}  // namespace host

#endif
