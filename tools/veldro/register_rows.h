// The register as the index walks it, and how the depreciation report treats each of its rows.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "register/records.h"

namespace veldro {

struct RegisterRow {
    dp::IndexBytes entry;
    std::int16_t recordNumber = 0;
    dp::AssetRecord record;
};

// Every index entry in index order with the record it names. Entries with record number 0, or
// naming no record of depr.fil, are no rows.
std::vector<RegisterRow> registerRows(const std::vector<unsigned char>& indexBytes,
                                      const std::vector<unsigned char>& assetBytes);

// A walk over rows in index order: it calls its argument with each row in turn.
using RowVisitor = std::function<void(const RegisterRow&)>;
using RowWalk = std::function<void(const RowVisitor&)>;
// The rows given.
RowWalk walkOf(const std::vector<RegisterRow>& rows);
// The rows of the two files' bytes, each decoded when it is visited (nothing of the register is
// held besides the bytes).
RowWalk walkOf(const std::vector<unsigned char>& indexBytes, const std::vector<unsigned char>& assetBytes);

// The depreciation report's reading of a row: rows it leaves out (an empty slot, a record marked
// deleted, a tax Form 4562 code containing 11), heading and subtotal rows, and the assets it
// computes.
enum class ReportRowKind { LeftOut, Heading, Subtotal, Asset };
ReportRowKind reportRowKind(const dp::AssetRecord& record);

// The amounts of a basis block are all numbers (the report leaves out an asset whose are not).
bool finiteAmounts(const dp::BasisBlock& block);

// A record that holds no asset: its asset number is blank (or NUL bytes).
bool isEmptySlot(const dp::AssetRecord& record);

// The code whose rate table an A, G or H method reads: the code itself, or for "A" alone "A"
// followed by the rate as the engine writes it (5 gives "A5").
std::string tableCode(const std::string& method, double rate);

// The rate table files the computed rows of a basis read (those of codes that have one).
std::set<std::string> rateTablesUsed(const std::vector<RegisterRow>& rows, char basis);

}  // namespace veldro
