#include "startup/file_save.h"

namespace startup {

SaveProblem ProblemFor(SaveStep step, fw::FileError error) {
    switch (error) {
    case fw::kFileDone: return SaveProblem::None;
    case fw::kErrorSharingViolation:
    case fw::kErrorLockViolation: return SaveProblem::FileInUse;
    case fw::kErrorDiskFull:
    case fw::kErrorHandleDiskFull: return SaveProblem::DiskFull;
    case fw::kErrorWriteProtect: return SaveProblem::FolderNotWritable;
    case fw::kErrorAccessDenied:
        // A new file refused is the folder's doing; a replacement or a write refused, the
        // file's rights (the read-only attribute is looked at before anything is written).
        if (step == SaveStep::Write) return SaveProblem::FolderNotWritable;
        if (step == SaveStep::Read) return SaveProblem::Other;
        return SaveProblem::AccessDenied;
    default: return SaveProblem::Other;
    }
}

// The save's own files beside the settings file (the backup and the temporary) have names
// no one gives a file by hand, as a copy kept by hand is "Fluttera.ini.old" or ".bak": a
// file found under them is taken for the save's, and replaced, removed or read as the
// settings. Files of the names earlier versions used (".old", ".new") are left alone, as
// they cannot be told from such a copy.
std::string BackupPath(const std::string& path) { return path + ".~save-old"; }

namespace {
// A folder of the backup's name is the user's: never the settings, never moved.
bool BackupLeft(fw::FilePort& files, const std::string& path) {
    const std::string backup = BackupPath(path);
    return files.Find(backup) == fw::kFileDone && !files.IsFolder(backup);
}
}  // namespace

std::string PathToRead(fw::FilePort& files, const std::string& path) {
    if (files.Find(path) == fw::kErrorFileNotFound && BackupLeft(files, path)) return BackupPath(path);
    return path;
}

namespace {
SaveResult Failed(SaveStep step, fw::FileError error) { return {ProblemFor(step, error), error}; }

// Refusals that writing over the file itself may get round: the folder takes no new file
// (or a read-only file of the temporary's name is in the way); the file may not be
// deleted, or is held open without delete sharing.
bool WorthWritingInPlace(SaveStep step, fw::FileError error) {
    if (step == SaveStep::Write) return error == fw::kErrorAccessDenied;
    return error == fw::kErrorAccessDenied || error == fw::kErrorSharingViolation ||
           error == fw::kErrorUnableToRemoveReplaced || error == fw::kErrorUnableToMoveReplacement ||
           error == fw::kErrorUnableToMoveReplacement2;
}

std::string TempPath(const std::string& path) { return path + ".~save-new"; }

// A backup beside the file is left from a save cut off between its steps: where the file
// is known to be missing, the old file is under the backup name only and goes back; where
// the file is there, the save got as far as putting it in. Where the system cannot tell,
// both stay as they are.
void PutBackOrRemoveBackup(fw::FilePort& files, const std::string& path) {
    const std::string backup = BackupPath(path);
    if (!BackupLeft(files, path)) return;
    const fw::FileError file = files.Find(path);
    if (file == fw::kFileDone)
        files.Remove(backup);
    else if (file == fw::kErrorFileNotFound)
        files.Move(backup, path);  // never over a file that came meanwhile
}

// The written temporary in the file's place; after a failure the old file is in its place.
fw::FileError PutInPlace(fw::FilePort& files, const std::string& temp, const std::string& path) {
    const std::string backup = BackupPath(path);
    fw::FileError error = files.Replace(temp, path, backup);
    if (error == fw::kErrorFileNotFound && files.Find(path) == fw::kErrorFileNotFound) {
        error = files.Move(temp, path);  // the first save
    } else if (error == fw::kErrorUnableToMoveReplacement2) {
        // The old file is under the backup name and the new one beside it: the new one goes
        // in, or else the old one goes back.
        if (files.Move(temp, path) == fw::kFileDone)
            error = fw::kFileDone;
        else
            files.Move(backup, path);
    }
    // Where even the old file could not go back, the next save puts it back.
    if (error == fw::kFileDone || files.Find(path) == fw::kFileDone) files.Remove(backup);
    return error;
}
}  // namespace

SaveResult ReadForUpdate(fw::FilePort& files, const std::string& path, std::string& bytes) {
    bytes.clear();
    PutBackOrRemoveBackup(files, path);
    // Where the backup could not go back, its lines are the ones the new file keeps.
    const fw::FileError error = files.Read(PathToRead(files, path), bytes);
    if (error == fw::kErrorFileNotFound) {
        bytes.clear();
        return {};
    }
    if (error != fw::kFileDone) {
        bytes.clear();
        return Failed(SaveStep::Read, error);
    }
    return {};
}

SaveResult ReplaceWhole(fw::FilePort& files, const std::string& path, const std::string& bytes) {
    // The system would let some writers (and Wine's owner, root) replace it anyway; the
    // attribute is the user's word that the file stays as it is.
    if (files.IsReadOnly(path)) return {SaveProblem::FileReadOnly, fw::kErrorAccessDenied};
    const std::string temp = TempPath(path);
    fw::FileError error = files.WriteNew(temp, bytes);
    SaveStep step = SaveStep::Write;
    if (error == fw::kFileDone) {
        step = SaveStep::Replace;
        error = PutInPlace(files, temp, path);
    }
    if (error == fw::kFileDone) return {};
    files.Remove(temp);
    if (!WorthWritingInPlace(step, error)) return Failed(step, error);
    const fw::FileError inPlace = files.WriteInPlace(path, bytes);
    if (inPlace == fw::kFileDone) return {};
    // No file to write over, or refused too: the first refusal says why.
    if (inPlace == fw::kErrorFileNotFound || inPlace == fw::kErrorPathNotFound || inPlace == fw::kErrorAccessDenied)
        return Failed(step, error);
    return Failed(SaveStep::InPlace, inPlace);
}

}  // namespace startup
