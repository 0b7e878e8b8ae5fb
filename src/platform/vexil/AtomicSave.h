#pragma once
// Saving a whole file so that a failed or interrupted write never leaves it empty or
// half-written.  Every file the program saves goes through here.

#include <cstddef>
#include <string>
#include <string_view>

namespace Vexil {

// Replaces the content of the file at `path` with `data`, or leaves it as it was.
//
// The bytes go to a new file beside the target (see temporaryFileName), are checked on their way to the disk
// (a full disk fails here, not later) and then renamed over the target.  A symbolic link
// is written through to the file it names; a file written over keeps its permissions,
// those of another user's file only as far as they narrow the new file's, which is this
// user's.  Links are followed by resolveSymbolicLinks' rule, and another user's file in a
// shared folder is not written over (see sharedFolderAllows).
// When the folder allows no new file but the file itself is writable, the file is
// written in place instead, and the console says so: first a copy of its old content goes
// to this user's private folder in the temporary folder ($TMPDIR/Pelmora21-<uid>), which
// the console names and which is removed once the new content is on the disk.  When no
// such copy can be made, the save is refused.  A target that exists and is not a
// regular file (a folder, a named pipe, a device) is refused.
//
// Returns false with the reason in `error` when the file could not be saved.
bool saveFileAtomically(const std::string& path, std::string_view data, std::string& error);

// The temporary files of a save of `path` are named temporaryFileName(path, slot) for a
// slot below temporaryFileSlots: short names in the target's folder that fit wherever the
// target's name does.  A save first removes those that an interrupted save of the same
// target left (files of this user that no save is writing).  When something else holds
// every one of those names, the save uses an unpredictable name in the same folder.
constexpr unsigned temporaryFileSlots = 16;
std::string temporaryFileName(const std::string& path, unsigned slot);

// Follows the symbolic links at `path`, of its folders as well as of its last name, to
// the file they finally name (which need not exist yet), by the rule the saves keep: in a shared folder such as /tmp only links of
// this user or of the folder's owner are followed.  False with the reason in
// `error` for a link that is refused or cannot be followed.
bool resolveSymbolicLinks(std::string& path, std::string& error);

// The rule for entries of shared folders: in a folder that users other than its owner
// may write to (writable by the group or by others, sticky as /tmp or not), an entry is
// used only when it belongs to the user or to the folder's owner.  Anyone else's entry
// there may have been planted: a link to make the user overwrite a file of their own, a
// file to read what the user writes.  In any other folder every entry may be used.
bool sharedFolderAllows(unsigned folderMode, unsigned folderOwner, unsigned entryOwner, unsigned user);

// Whether this user may add to the existing file at `path` (links already followed),
// owned by `owner`, by that rule; false with the reason in `error`.
bool mayAppendToFile(const std::string& path, unsigned owner, std::string& error);

// Reads the whole of the open file `fd` from its start, leaving its offset alone; false
// when it cannot be read or holds more than `maxBytes`.
bool readOpenFile(int fd, std::string& content, size_t maxBytes);

} // namespace Vexil
