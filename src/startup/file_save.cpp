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
        // A new file refused is the folder's doing; the move over an existing file is
        // refused while another program holds it (the read-only attribute is looked at
        // before anything is written).
        if (step == SaveStep::Write) return SaveProblem::FolderNotWritable;
        if (step == SaveStep::Replace) return SaveProblem::FileInUse;
        return SaveProblem::Other;
    default: return SaveProblem::Other;
    }
}

namespace {
SaveResult Failed(SaveStep step, fw::FileError error) { return {ProblemFor(step, error), error}; }
}  // namespace

SaveResult ReadForUpdate(fw::FilePort& files, const std::string& path, std::string& bytes) {
    bytes.clear();
    const fw::FileError error = files.Read(path, bytes);
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
    const std::string temp = path + ".new";
    fw::FileError error = files.WriteNew(temp, bytes);
    SaveStep step = SaveStep::Write;
    if (error == fw::kFileDone) {
        step = SaveStep::Replace;
        error = files.Replace(temp, path);
    }
    if (error == fw::kFileDone) return {};
    files.Remove(temp);
    return Failed(step, error);
}

}  // namespace startup
