// Rewriting a whole file so that it holds either its old bytes or its new ones, never a
// mix, with the reason in the user's terms when it cannot be done.
#pragma once

#include "framework/file_port.h"

#include <string>

namespace startup {

// Why a save failed, as the user is told.
enum class SaveProblem {
    None,
    FolderNotWritable,  // the folder takes no new file (rights, a write-protected medium)
    DiskFull,
    FileReadOnly,       // the file carries the read-only attribute
    FileInUse,          // another program holds the file
    AccessDenied,       // the file's rights let it be neither replaced nor written
    Other,              // anything else: the user is told the system's error number
};

// The steps of a save in their order: one error number means different things in each.
// InPlace is the way round a refused Write or Replace.
enum class SaveStep { Read, Write, Replace, InPlace };

SaveProblem ProblemFor(SaveStep step, fw::FileError error);

struct SaveResult {
    SaveProblem problem = SaveProblem::None;
    fw::FileError error = fw::kFileDone;
    bool ok() const { return problem == SaveProblem::None; }
};

// The name the old file has while the new one takes its place. Only a save cut off between
// its steps (a power loss, or neither file able to go in) leaves a file of this name.
std::string BackupPath(const std::string& path);

// The file to read the settings from: the file, or, where it is known to be missing, the
// old file that a cut-off save left under the backup name, so that neither the saver nor
// the next save works from the defaults.
std::string PathToRead(fw::FilePort& files, const std::string& path);

// The file's bytes before it is changed: empty when it does not exist yet. A file that
// is there but cannot be read is a failure, so that a save never drops its other lines.
// A backup that a save cut off (a power loss) left beside it is put back where the file
// is known to be missing, and removed where the file is there.
SaveResult ReadForUpdate(fw::FilePort& files, const std::string& path, std::string& bytes);

// Replaces the whole file: the bytes are written beside it, flushed, then put in its place
// in one step, the file keeping its attributes and rights. The old file goes to a backup
// name of the program's own for that step, so that the settings are never under no name;
// the backup is removed once the new file is in place. Where the folder takes no new
// file, or the file may be written but not replaced (its rights, or a program holding it
// without delete sharing), the bytes are written over the file itself instead, as the
// system's profile functions do. A file with the read-only attribute is left alone.
// When it fails the file holds its old bytes, and nothing else is left beside it (but for
// a device failing while the file itself is written over).
SaveResult ReplaceWhole(fw::FilePort& files, const std::string& path, const std::string& bytes);

}  // namespace startup
