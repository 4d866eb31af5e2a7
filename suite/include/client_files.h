// The files the depreciation module keeps in a client's folder, by name (any letter case): what
// the module's clean-up and replacement journal may touch, and what the suite's printer libraries
// must never write over.
#pragma once

#include <cctype>
#include <initializer_list>
#include <string_view>

namespace clientfiles {

inline bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

inline bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    for (std::string_view n : names)
        if (sameLetters(name, n)) return true;
    return false;
}

// DEPRyyyy.FIL, DEPRyyyy.IDX, COMPyyyy.FIL: the files of a closed year.
inline bool isOldYearName(std::string_view name) {
    if (name.size() != 12) return false;
    for (std::size_t i = 4; i < 8; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    const std::string_view head = name.substr(0, 4), tail = name.substr(8);
    return (sameLetters(head, "DEPR") && (sameLetters(tail, ".FIL") || sameLetters(tail, ".IDX"))) ||
           (sameLetters(head, "COMP") && sameLetters(tail, ".FIL"));
}

// The data files and the files the module keeps or prints to, which its work files take the
// place of: depr.fil, depr.idx, company.fil, report.txt, T4562.FRM, ODEPR.FIL, ODEPR.IDX and a
// closed year's files.
inline bool isPlacedName(std::string_view name) {
    return isOneOf(name, {"depr.fil", "depr.idx", "company.fil", "report.txt", "T4562.FRM", "ODEPR.FIL", "ODEPR.IDX"}) ||
           isOldYearName(name);
}

// The work files, which exist only while a procedure writes them: NEW.FIL, NEW.IDX, NEWCOMP.FIL,
// temp.fil, temp.idx, and a placed file's name followed by ".new".
inline bool isWorkName(std::string_view name) {
    if (isOneOf(name, {"NEW.FIL", "NEW.IDX", "NEWCOMP.FIL", "temp.fil", "temp.idx"})) return true;
    return name.size() > 4 && sameLetters(name.substr(name.size() - 4), ".new") &&
           isPlacedName(name.substr(0, name.size() - 4));
}

// Every file of the module in a client's folder but its printed files: the books, the files it
// keeps, its lock, journals and work files.
inline bool isBooksName(std::string_view name) {
    if ((isPlacedName(name) || isWorkName(name)) && !isOneOf(name, {"report.txt", "T4562.FRM"})) return true;
    return isOneOf(name, {"deprrecs.fil", "DEPR.LCK", "REPLACE.JNL", "REPLACE.JNL.tmp", "ADD.JNL", "BADDEPR.IDX"});
}

}  // namespace clientfiles
