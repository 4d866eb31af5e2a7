// What a procedure leaves behind when it is stopped part way (a killed program, a pulled plug),
// and what the next opening of the client does about it under the client's lock: a replacement
// whose journal is in place is finished (a journal that names anything but the module's own
// files is refused and nothing is moved), the module's work files are removed, and an addition
// cut off before its index entry was written is taken back, the user told which asset it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "register/records.h"

namespace dp {

// The data files and the files the module keeps (any letter case): depr.fil, depr.idx,
// company.fil, report.txt, T4562.FRM, ODEPR.FIL, ODEPR.IDX, DEPRyyyy.FIL, DEPRyyyy.IDX and
// COMPyyyy.FIL.
bool isPlacedFileName(const std::string& name);
// The module's work files, which exist only while a procedure writes them: NEW.FIL, NEW.IDX,
// NEWCOMP.FIL, temp.fil, temp.idx, and any placed file's name followed by ".new".
bool isWorkFileName(const std::string& name);
// What the replacement journal may rename in a client's folder: work files and placed files.
bool isJournalName(const std::string& name);

// The marker of an addition in progress: written and flushed before the record goes into
// depr.fil, removed once the record's index entry is on disk.
inline constexpr const char* kAddMarkerName = "ADD.JNL";
bool writeAddMarker(const std::string& dir, std::int64_t entryNumber, const IndexBytes& entry);
void removeAddMarker(const std::string& dir);

// Puts finished work files in place together through the replacement journal: each pair is
// (work file, file it replaces), bare names in dir.
enum class Placed {
    Done,       // every file is in place
    Unchanged,  // the replacement never started: the old files stand and the work files are gone
    Pending,    // its journal is in place but the renames could not all be done now: the next
                // opening of the client completes them
};
Placed placeTogether(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& renames,
                     std::string& why);

struct Recovery {
    bool refused = false;  // the client's files cannot be trusted as they are: nothing was done
    std::string message;   // what to tell the user (why refused, or the asset not saved); may be empty
    std::vector<std::string> removed;  // the work files that were removed
};
// Finishes or clears away what an interrupted procedure left in the client's folder dir. Called
// with the client's lock held, before any file of the client is read.
Recovery recoverUnfinishedWork(const std::string& dir);

}  // namespace dp
