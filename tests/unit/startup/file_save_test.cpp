#include "startup/file_save.h"

#include "framework/codepage.h"
#include "startup/settings.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

using startup::SaveProblem;
using startup::SaveStep;

const std::string kFolder = "C:\\Saver";
const std::string kIni = "C:\\Saver\\Fluttera.ini";
const std::string kTemp = kIni + ".~save-new";
const std::string kBackup = kIni + ".~save-old";

TEST(WriteSettings, TheFileHoldsTheOldFourValuesOrTheNewFour) {
    const std::string before = fw::Utf8ToCp932("; mine\r\n[Section]\r\n花びらの数= 300\r\nBGM区分= 0\r\n");
    const std::string after = fw::Utf8ToCp932(
        "; mine\r\n[Section]\r\n花びらの数= 310\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 4\r\nBGMﾌｧｲﾙ=D:\\曲.mp3\r\n");
    struct Case {
        const char* name;
        std::function<void(fakes::Files&)> fault;
        SaveProblem problem;
        fw::FileError error;
    } cases[] = {
        {"no fault", [](fakes::Files&) {}, SaveProblem::None, 0},
        // Where the file cannot be replaced but may be written, it is written over.
        {"no new file in the folder", [](fakes::Files& f) { f.writeErrors[kTemp] = 5; }, SaveProblem::None, 0},
        {"a read-only temporary in the way", [](fakes::Files& f) { f.files[kTemp] = "stale"; f.readOnly.insert(kTemp); }, SaveProblem::None, 0},
        {"rights deny deleting it", [](fakes::Files& f) { f.replaceErrors[kIni] = 5; }, SaveProblem::None, 0},
        {"held without delete sharing", [](fakes::Files& f) { f.replaceErrors[kIni] = 32; }, SaveProblem::None, 0},
        {"the old file cannot be moved away", [](fakes::Files& f) { f.replaceErrors[kIni] = 1175; }, SaveProblem::None, 0},
        {"the new file cannot be moved in", [](fakes::Files& f) { f.replaceErrors[kIni] = 1176; }, SaveProblem::None, 0},
        {"the old file moved away, the new not in", [](fakes::Files& f) { f.replaceErrors[kIni] = 1177; }, SaveProblem::None, 0},
        {"... and the new one never goes in", [](fakes::Files& f) { f.replaceErrors[kIni] = 1177; f.moveErrors[kTemp] = 5; f.inPlaceErrors[kIni] = 5; }, SaveProblem::Other, 1177},
        {"a cut-off save's backup beside the file", [](fakes::Files& f) { f.files[kBackup] = "stale"; }, SaveProblem::None, 0},
        {"a cut-off save's backup alone", [](fakes::Files& f) { f.files[kBackup] = f.files[kIni]; f.files.erase(kIni); }, SaveProblem::None, 0},
        // Put back only over no file: the attributes unreadable say nothing of that.
        {"a folder of the backup's name, no file", [](fakes::Files& f) { f.files.erase(kIni); f.folders.insert(kBackup); }, SaveProblem::None, 0},
        {"a stale backup, the file's attributes unreadable", [](fakes::Files& f) { f.files[kBackup] = "stale"; f.findErrors[kIni] = 5; }, SaveProblem::None, 0},
        {"the user's own Fluttera.ini.old and .new", [](fakes::Files& f) { f.files[kIni + ".old"] = "mine"; f.files[kIni + ".new"] = "mine"; }, SaveProblem::None, 0},
        {"neither a new file nor the file", [](fakes::Files& f) { f.writeErrors[kTemp] = 5; f.inPlaceErrors[kIni] = 5; }, SaveProblem::FolderNotWritable, 5},
        {"write-protected medium", [](fakes::Files& f) { f.writeErrors[kTemp] = 19; }, SaveProblem::FolderNotWritable, 19},
        {"disk full half-way", [](fakes::Files& f) { f.writeErrors[kTemp] = 112; }, SaveProblem::DiskFull, 112},
        {"disk full writing over it", [](fakes::Files& f) { f.writeErrors[kTemp] = 5; f.inPlaceErrors[kIni] = 112; }, SaveProblem::DiskFull, 112},
        {"read-only attribute", [](fakes::Files& f) { f.readOnly.insert(kIni); }, SaveProblem::FileReadOnly, 5},
        {"held without sharing", [](fakes::Files& f) { f.unreadable.insert(kIni); }, SaveProblem::FileInUse, 32},
        {"held, writing shared only", [](fakes::Files& f) { f.replaceErrors[kIni] = 32; f.inPlaceErrors[kIni] = 32; }, SaveProblem::FileInUse, 32},
        {"rights deny replacing and writing", [](fakes::Files& f) { f.replaceErrors[kIni] = 5; f.inPlaceErrors[kIni] = 5; }, SaveProblem::AccessDenied, 5},
        {"a folder of that name", [](fakes::Files& f) { f.folders.insert(kIni); }, SaveProblem::Other, 5},
        {"device error", [](fakes::Files& f) { f.writeErrors[kTemp] = 1117; }, SaveProblem::Other, 1117},
    };
    // A first save has no other lines of the file to keep.
    const std::string fresh = fw::Utf8ToCp932("[Section]\r\n花びらの数= 310\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 4\r\nBGMﾌｧｲﾙ=D:\\曲.mp3\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::Files files;
        files.files[kIni] = before;
        c.fault(files);
        const bool first = !files.files.count(kIni) && !files.files.count(kBackup);
        const auto folders = files.folders;
        const auto temp = files.files.count(kTemp) ? std::optional(files.files[kTemp]) : std::nullopt;
        auto others = files.files;  // every file but the settings and the save's own
        for (const auto& own : {kIni, kTemp, kBackup}) others.erase(own);
        startup::SaverSettings s;
        s.MusicKind = 1;
        s.MusicRepeat = 4;
        s.MusicFile = "D:\\曲.mp3";
        const startup::SaveResult r = startup::WriteSettings(files, kFolder, 310, s);
        EXPECT_EQ(r.problem, c.problem);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(files.files[kIni], r.ok() ? (first ? fresh : after) : (first ? "" : before));
        EXPECT_EQ(files.folders, folders) << "a folder was moved";
        EXPECT_EQ(files.files.count(kTemp) ? std::optional(files.files[kTemp]) : std::nullopt, temp)
            << "the file written beside it stayed, or one in the way went";
        auto left = files.files;
        for (const auto& own : {kIni, kTemp}) left.erase(own);
        EXPECT_EQ(left, others) << "a backup stayed, or a file not the save's changed";
        // Written over in place after a refused replacement: the file beside it came first.
        if (r.ok()) {
            EXPECT_LE(files.writes, 2) << "the four keys in one write";
        }
    }
}

TEST(SaveProblem, ErrorNumbersInTheUsersTerms) {
    struct Case { SaveStep step; fw::FileError error; SaveProblem problem; } cases[] = {
        {SaveStep::Read, 0, SaveProblem::None},
        {SaveStep::Write, 5, SaveProblem::FolderNotWritable},   // access denied: the folder
        {SaveStep::Replace, 5, SaveProblem::AccessDenied},      // ... the file's rights
        {SaveStep::InPlace, 5, SaveProblem::AccessDenied},
        {SaveStep::Read, 5, SaveProblem::Other},                // ... a folder, or no right to read
        {SaveStep::Write, 19, SaveProblem::FolderNotWritable},  // write-protected medium
        {SaveStep::Read, 32, SaveProblem::FileInUse},           // sharing violation
        {SaveStep::Replace, 33, SaveProblem::FileInUse},        // lock violation
        {SaveStep::Write, 39, SaveProblem::DiskFull},
        {SaveStep::Write, 112, SaveProblem::DiskFull},
        {SaveStep::Write, 3, SaveProblem::Other},               // the folder is gone
    };
    for (const auto& c : cases)
        EXPECT_EQ(startup::ProblemFor(c.step, c.error), c.problem) << static_cast<int>(c.step) << " " << c.error;
}

}  // namespace
