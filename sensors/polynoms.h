// Binding of the sensor characteristic library (libpolynoms.so), loaded by file name from the
// program's folder. One instance per owner; every conversion through an unusable instance (file or
// any entry point missing) gives NaN.
#pragma once

#include "platform/library.h"

#include <QString>

namespace sensors {

class TPolynoms {
public:
    /// The library's file name, looked up in the program's folder.
    static constexpr const char* kFileName = "libpolynoms.so";

    /// Loads the library from the program's folder (or `path` when given).
    explicit TPolynoms(const QString& path = {});
    ~TPolynoms() = default;
    TPolynoms(const TPolynoms&) = delete;
    TPolynoms& operator=(const TPolynoms&) = delete;

    /// 0 when the file and all six entry points were found, -1 otherwise.
    int LoadResult() const { return m_usable ? 0 : -1; }
    bool Usable() const { return m_usable; }
    platform::SharedLibrary::Status Status() const { return m_status; }

    /// Temperature for an electrical value (Ohm for codes 0-6, mV for 7-14); NaN on failure.
    float ElToGrad(int code, float el) const;
    /// Electrical value for a temperature; NaN on failure.
    float GradToEl(int code, float t) const;
    /// Ohm/°C (codes 0-6) and mV/°C (codes 7-14); NaN on failure.
    float OhmPerDegree(int code, float t) const;
    float MvPerDegree(int code, float t) const;
    /// Class range; 0 or non-zero as the library returns it (-1 when unusable).
    int DiapByClass(int code, int cls, float* lo, float* hi) const;
    /// Tolerance; 0 or non-zero as the library returns it (-1 when unusable).
    int Tolerance(int code, float t, int cls, float* tol) const;

private:
    using Conv = int (*)(float*, int, float);
    using Diap = int (*)(float*, float*, int, int);
    using Tol = int (*)(float*, int, float, int);

    float Call(Conv f, int code, float x) const;

    platform::SharedLibrary m_lib;
    platform::SharedLibrary::Status m_status = platform::SharedLibrary::Status::NotLoaded;
    bool m_usable = false;
    Conv m_elToGrad = nullptr, m_gradToEl = nullptr, m_ohm = nullptr, m_mv = nullptr;
    Diap m_diap = nullptr;
    Tol m_tol = nullptr;
};

} // namespace sensors
