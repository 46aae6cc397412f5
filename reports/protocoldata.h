// Everything a protocol needs: the single record that the verification, results, report
// parameters and archive pages fill. Texts are Windows-1251 in fixed fields, filled only through
// platform::SetText (a bounded copy).
#pragma once

#include <cstdint>

namespace reports {

inline constexpr int kMaxPoints = 200;

struct ProtocolDevice {
    std::int32_t used = 0;
    char name[40] = {};
    char type[40] = {};
    char serial[40] = {};
    char inventoryNumber[40] = {};
    char owner[120] = {};
    float permissibleError = 0;
    float rangeLow = 0;
    float rangeHigh = 0;
    char units[20] = {};
    float signalLow = 0;
    float signalHigh = 0;
    char signalUnits[28] = {};
};

/// One device's values at a point.
struct PointValues {
    float measuredSignal = 0;
    float referenceSignal = 0;
    float measured = 0;
    float tolerance = 0; ///< the permissible error of this point
    float error = 0;
    float uncertainty = 0;
};

struct ProtocolPoint {
    std::int32_t used = 0;
    float reference = 0;
    PointValues device[4]; ///< room for four devices; the first is used
};

struct ProtocolData {
    std::int32_t pressureStandardClass = 0; ///< 0..3: "А0", "А", "B", "C"
    std::int32_t verificationType = 0;      ///< 0 pressure sensor, 1 temperature sensor, 2 secondary instrument
    char airTemperature[8] = {};
    char airHumidity[8] = {};
    char airPressure[8] = {};
    char protocolNumber[80] = {};
    char protocolDate[20] = {};
    std::int32_t isCalibration = 0;
    std::int32_t isPeriodic = 0;
    char auxEquipment[1036] = {};
    float errorCoefficient = 0;
    std::int32_t decimals = 0; ///< 0..6
    ProtocolDevice device;
    std::int32_t pointCount = 0;
    ProtocolPoint points[kMaxPoints];
    std::int32_t inspectionPassed = 0;
    std::int32_t decisionRule = 0; ///< verification::DecisionRule
};

/// The program's one record.
ProtocolData& Protocol();

} // namespace reports
