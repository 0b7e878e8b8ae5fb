#pragma once
// The folders a test program leaves in the temporary folder, and their removal: a test
// program's home is "pelmora-test-PID-XXXXXX" and a fuzz target's work folder
// "pelmora-fuzz-PID-XXXXXX", so that one left by a run that was killed (a test that ran
// out of time) is known for what it is and cleared by the next run.

#include <string>

namespace PelmoraTest {

// Removes `path` and everything below it with the system's own calls on the names' bytes,
// so that names that are no text in any encoding go too; links are removed, not followed.
// True when nothing is left.
bool removeTree(const std::string& path);

// Removes the folders in `tempDir` named "pelmora-test-PID-..." or "pelmora-fuzz-PID-..."
// that belong to this user and whose process PID no longer runs; gives how many it removed.
int clearFoldersOfEndedRuns(const std::string& tempDir);

} // namespace PelmoraTest
