// The verification results: one measured point per row, in the single list of the program.
#pragma once

#include <cstdint>
#include <functional>

namespace verification {

inline constexpr int kMaxRows = 200;

/// One verified point; 13 fields in this order (the verification page hands it over as a block).
struct ResultRow {
    float reference = 0;       ///< reference value in the measured quantity
    float referenceSignal = 0; ///< the reference converted to the device's signal
    float measured = 0;        ///< value indicated by the device under test
    float measuredSignal = 0;  ///< the measured value as signal
    float error = 0;           ///< % of range, or the measured unit for a temperature sensor
    float errorSignal = 0;
    float tolerance = 0; ///< permissible error of the point
    std::int32_t spare1 = 0;
    std::int32_t pass = 0; ///< nonzero when the point conforms
    float uncertainty = 0; ///< expanded uncertainty
    std::int32_t spare2 = 0;
    float rangeLow = 0;
    float rangeHigh = 0;
};
static_assert(sizeof(ResultRow) == 52);

struct ResultList {
    std::int32_t hasData = 0; ///< set by every AppendRow; never reset here
    std::int32_t count = 0;
    ResultRow rows[kMaxRows] = {};
};

/// The program's one list.
ResultList& Results();

/// count := 0 and every slot zeroed (hasData stays).
void ClearRows(ResultList& list);
/// hasData := 1; -1 when the list is full; else the row goes into slot count and the new count is
/// returned.
int AppendRow(ResultList& list, const ResultRow& row);
/// -1 for an index outside 0..count-1; else the rows after it move down, the freed slot is zeroed
/// and the new count is returned.
int RemoveRow(ResultList& list, int index);

/// Called with the list after every change made through ClearRows, AppendRow or RemoveRow (not
/// after a refused append or removal), so that the results page and the crash journal follow it.
/// One observer for the program; an empty function removes it.
void SetResultsObserver(std::function<void(const ResultList&)> observer);

} // namespace verification
