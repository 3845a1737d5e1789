#pragma once

#include "platform/entry_info.h"
#include "platform/folder_entries.h"

#include <QByteArray>
#include <deque>

// Raises the soft limit of open descriptors to the hard limit. Called once at program start,
// so deep walks and many open windows do not run out. Returns the soft limit now in force.
long raiseDescriptorLimit();
// A quarter of the soft limit of open descriptors, at least 8 and at most 256: what one walk,
// or all the threads of one walk together, may hold.
int defaultDescriptorBudget();

// The position of one depth-first walk through a folder tree: the folder it is in, how it got
// there, and a descriptor for that folder. Every walk of the program (scans, folder deletion,
// the browser and the statistics) moves through trees with it.
//
// What it guarantees:
// - Links: a subfolder is entered only when it is a real folder; symbolic links are never
//   followed (the root path itself is opened as the person named it). The process's current
//   folder is never used or changed; everything is relative to folder descriptors, so paths
//   longer than PATH_MAX work.
// - Mounts: the walk stays on the mount of its root. A subfolder on another device, the root
//   of another mount, or a bind mount of the same file system (another mount id) is not
//   entered; an automount point is not triggered, since the decision is made by looking at
//   the entry without triggering it, before anything is opened.
// - Identity: a folder is entered only when the descriptor opened is the very folder the walk
//   looked at (device and inode; and the entry a caller saw, when it passes one). Going back
//   up gives the same parent folder again or nothing: a folder swapped or removed meanwhile
//   is never taken for the one the walk left.
// - Descriptors: at most descriptorBudget() descriptors are held, however deep the tree
//   (the root's and the deepest levels'). A level whose descriptor was closed to stay within
//   the budget is opened again on the way back up, through ".." of the folder below it, or
//   else by its name from the nearest held folder above it, each time checking its identity.
// - Memory: one path buffer for the whole walk and one reusable entry buffer per level.
//
// Typical use:
//   DirWalk walk;
//   if (!walk.openRoot(path)) ...;
//   for (const FolderEntry& e : walk.readEntries())
//       if (e.type == DT_DIR && walk.enter(e.name) == DirWalk::Entered) {
//           ...walk below...
//           if (!walk.leave()) { ...this folder is lost: stop it, report, leave() again... }
//       }
class DirWalk {
public:
    enum EnterResult {
        Entered,    // now in the subfolder
        NotFolder,  // gone, or not a folder (a symbolic link among them)
        OtherMount, // on another file system or mount
        NotOpened,  // a folder that cannot be opened (permissions ...)
        Changed,    // not the folder that was seen: the tree changed meanwhile
    };

    DirWalk();
    ~DirWalk();
    DirWalk(const DirWalk&) = delete;
    DirWalk& operator=(const DirWalk&) = delete;

    // Starts a walk at the folder `root` (native bytes; a trailing "/" is ignored). False,
    // with errno set, when it is not a folder that can be opened.
    bool openRoot(const QByteArray& root);
    // Opens the folder `root` as openRoot does, for a walk to adopt: its descriptor, or -1
    // with errno set. `info` is the folder's, `path` the root without a trailing "/".
    static int openFolder(const QByteArray& root, EntryInfo& info, QByteArray& path);
    // Starts a walk at a folder another walk opened with openChild: the walk takes over `fd`
    // (closing it with the walk), `info` is what openChild or openFolder saw, `path` its full path.
    void adoptRoot(int fd, const EntryInfo& info, const QByteArray& path);
    // Closes every descriptor. Also done by the next openRoot and the destructor.
    void close();

    // The current folder's descriptor; -1 when the folder is lost (see leave()).
    int fd() const;
    // 0 at the root.
    int depth() const { return depth_; }
    // The current folder's full path: no trailing "/" except for the root folder "/" itself.
    // Valid until the walk moves.
    const QByteArray& path() const { return path_; }
    // The current folder's name as its parent lists it (the root's whole path at depth 0),
    // NUL-terminated; valid until the walk moves.
    const char* name() const;
    // The path of the current folder's parent (the root's own path at depth 0).
    QByteArray parentPath() const;
    // What the current folder was just before it was entered.
    const EntryInfo& folderInfo() const;

    // Reads the current folder's entries into this level's buffer. The buffer stays valid
    // while the walk goes below this folder and back, until this level reads again. Empty
    // when the folder is lost or cannot be read.
    const FolderEntries& readEntries();

    // Enters the subfolder `name` of the current folder. With `seen` (the caller's own look
    // at the entry) it must still be that folder.
    EnterResult enter(const char* name, const EntryInfo* seen = nullptr);
    // Opens the subfolder `name` of the current folder with every check enter() makes, without
    // entering it: on Entered, `fd` is the caller's and `info` what was seen.
    EnterResult openChild(const char* name, EntryInfo& info, int& fd) const;
    // Back to the parent folder; at the root nothing happens. False when the parent cannot be
    // had again as the same folder: the walk is then in that parent with fd() == -1; the
    // caller stops working on it and leaves again.
    bool leave();

    // Whether an entry lies on the walk's own mount.
    bool onOwnMount(const EntryInfo& info) const;

    // The most descriptors the walk holds at once. By default a quarter of the soft limit of
    // open descriptors, at least 8 and at most 256; tests set others.
    int descriptorBudget() const { return budget_; }
    void setDescriptorBudget(int budget);
    int heldDescriptors() const { return held_; }

private:
    struct Level {
        int fd = -1;
        bool fresh = false; // fd was just opened: its entries are read from the start
        EntryInfo info;
        int nameStart = 0; // where the folder's name begins in path_
        FolderEntries entries;
    };
    bool regain(int level);
    EnterResult openSeen(int parent, const char* name, const EntryInfo& look, int& child) const;
    int openChecked(int dirFd, const char* name, const EntryInfo& expected) const;
    void closeLevel(Level& level);
    void keepWithinBudget();

    std::deque<Level> levels_; // kept between walks to reuse the entry buffers
    int depth_ = -1;
    int held_ = 0;
    int budget_ = 0;
    int budgetSetting_ = 0; // 0: from the descriptor limit
    QByteArray path_;
};
