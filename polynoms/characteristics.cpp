#include "polynoms/characteristics.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace polynoms {
namespace {

// ---------------------------------------------------------------------------------------------
// Resistance thermometers, GOST 6651-2009 (Pt100 as IEC 60751). W = R / R0.

enum class Rtd { Pt385, Pt391, Cu428, Cu426 };

struct RtdType {
    Rtd kind;
    double r0;
    double tlo, thi; // range of the characteristic
};

constexpr RtdType kRtd[7] = {
    {Rtd::Pt385, 100, -200, 850}, {Rtd::Pt391, 100, -200, 850}, {Rtd::Pt391, 50, -200, 850},
    {Rtd::Cu428, 50, -180, 200},  {Rtd::Cu426, 50, -50, 200},   {Rtd::Cu428, 100, -180, 200},
    {Rtd::Cu426, 100, -50, 200},
};

struct CvdConstants {
    double a, b, c;
    double d[4]; // inverse below 0 °C, GOST 6651-2009
};

constexpr CvdConstants kPt385 = {3.9083E-03, -5.775E-07, -4.183E-12, {255.819, 9.14550, -2.92363, 1.79090}};
constexpr CvdConstants kPt391 = {3.9690E-03, -5.841E-07, -4.330E-12, {251.903, 8.80035, -2.91506, 1.67611}};
constexpr CvdConstants kCu428 = {4.28E-03, -6.2032E-07, 8.5154E-10, {233.87, 7.9370, -2.0062, -0.3953}};
constexpr double kCu426A = 4.26E-03;

double RtdW(Rtd kind, double t)
{
    switch (kind) {
    case Rtd::Pt385:
    case Rtd::Pt391: {
        const CvdConstants& k = kind == Rtd::Pt385 ? kPt385 : kPt391;
        double w = 1 + k.a * t + k.b * t * t;
        if (t < 0) w += k.c * (t - 100) * t * t * t;
        return w;
    }
    case Rtd::Cu428:
        if (t < 0) return 1 + kCu428.a * t + kCu428.b * t * (t + 6.7) + kCu428.c * t * t * t;
        return 1 + kCu428.a * t;
    case Rtd::Cu426:
        return 1 + kCu426A * t;
    }
    return NAN;
}

double RtdDwDt(Rtd kind, double t)
{
    switch (kind) {
    case Rtd::Pt385:
    case Rtd::Pt391: {
        const CvdConstants& k = kind == Rtd::Pt385 ? kPt385 : kPt391;
        double d = k.a + 2 * k.b * t;
        if (t < 0) d += k.c * (4 * t * t * t - 300 * t * t);
        return d;
    }
    case Rtd::Cu428:
        if (t < 0) return kCu428.a + kCu428.b * (2 * t + 6.7) + 3 * kCu428.c * t * t;
        return kCu428.a;
    case Rtd::Cu426:
        return kCu426A;
    }
    return NAN;
}

// The standard's inverse: exact roots where the forward branch is linear or quadratic, the D
// polynomial below 0 °C.
double RtdStandardInverse(Rtd kind, double w)
{
    if (kind == Rtd::Cu426) return (w - 1) / kCu426A;
    const CvdConstants& k = kind == Rtd::Pt385 ? kPt385 : kind == Rtd::Pt391 ? kPt391 : kCu428;
    if (w >= 1) {
        if (kind == Rtd::Cu428) return (w - 1) / k.a;
        return (std::sqrt(k.a * k.a - 4 * k.b * (1 - w)) - k.a) / (2 * k.b);
    }
    const double x = w - 1;
    return x * (k.d[0] + x * (k.d[1] + x * (k.d[2] + x * k.d[3])));
}

// ---------------------------------------------------------------------------------------------
// Thermocouples: E(t) = sum c_i t^i per sub-range (NIST ITS-90 database; GOST R 8.585-2001 for L
// and A-1); inverse polynomials t(E) per sub-range.

struct Poly {
    double lo, hi;
    std::vector<double> c;
};

struct Thermocouple {
    std::vector<Poly> forward;
    std::vector<Poly> inverse; // lo/hi are temperatures; the EMF span is E(lo)..E(hi)
    double tlo, thi;           // range of the characteristic
    double invLo;              // lowest temperature the inverse accepts
    bool kExponential = false;
};

// Type K's exponential term above 0 °C.
constexpr double kKa0 = 1.185976E-01, kKa1 = -1.183432E-04, kKa2 = 1.269686E+02;

const Thermocouple& Tc(int code)
{
    static const Thermocouple kTc[8] = {
        // 7: J
        {{{-210, 760, {0, 5.0381187815E-02, 3.047583693E-05, -8.568106572E-08, 1.3228195295E-10, -1.7052958337E-13,
                      2.0948090697E-16, -1.2538395336E-19, 1.5631725697E-23}},
          {760, 1200, {2.9645625681E+02, -1.4976127786E+00, 3.1787103924E-03, -3.1847686701E-06, 1.5720819004E-09,
                       -3.0691369056E-13}}},
         {{-210, 0, {0, 1.9528268E+01, -1.2286185E+00, -1.0752178E+00, -5.9086933E-01, -1.7256713E-01,
                     -2.8131513E-02, -2.396337E-03, -8.3823321E-05}},
          {0, 760, {0, 1.978425E+01, -2.001204E-01, 1.036969E-02, -2.549687E-04, 3.585153E-06, -5.344285E-08,
                    5.09989E-10}},
          {760, 1200, {-3.11358187E+03, 3.00543684E+02, -9.9477323E+00, 1.7027663E-01, -1.43033468E-03,
                       4.73886084E-06}}},
         -210, 1200, -210},
        // 8: K
        {{{-270, 0, {0, 3.9450128025E-02, 2.3622373598E-05, -3.2858906784E-07, -4.9904828777E-09, -6.7509059173E-11,
                     -5.7410327428E-13, -3.1088872894E-15, -1.0451609365E-17, -1.9889266878E-20, -1.6322697486E-23}},
          {0, 1372, {-1.7600413686E-02, 3.8921204975E-02, 1.8558770032E-05, -9.9457592874E-08, 3.1840945719E-10,
                     -5.6072844889E-13, 5.6075059059E-16, -3.2020720003E-19, 9.7151147152E-23, -1.2104721275E-26}}},
         {{-200, 0, {0, 2.5173462E+01, -1.1662878E+00, -1.0833638E+00, -8.977354E-01, -3.7342377E-01, -8.6632643E-02,
                     -1.0450598E-02, -5.1920577E-04}},
          {0, 500, {0, 2.508355E+01, 7.860106E-02, -2.503131E-01, 8.31527E-02, -1.228034E-02, 9.804036E-04,
                    -4.41303E-05, 1.057734E-06, -1.052755E-08}},
          {500, 1372, {-1.318058E+02, 4.830222E+01, -1.646031E+00, 5.464731E-02, -9.650715E-04, 8.802193E-06,
                       -3.11081E-08}}},
         -270, 1372, -270, true},
        // 9: B
        {{{0, 630.615, {0, -2.4650818346E-04, 5.9040421171E-06, -1.3257931636E-09, 1.5668291901E-12, -1.694452924E-15,
                        6.2990347094E-19}},
          {630.615, 1820, {-3.8938168621E+00, 2.857174747E-02, -8.4885104785E-05, 1.5785280164E-07, -1.6835344864E-10,
                           1.1109794013E-13, -4.4515431033E-17, 9.8975640821E-21, -9.3791330289E-25}}},
         {{250, 700, {9.8423321E+01, 6.99715E+02, -8.4765304E+02, 1.0052644E+03, -8.3345952E+02, 4.5508542E+02,
                      -1.5523037E+02, 2.988675E+01, -2.474286E+00}},
          {700, 1820, {2.1315071E+02, 2.8510504E+02, -5.2742887E+01, 9.9160804E+00, -1.2965303E+00, 1.119587E-01,
                       -6.0625199E-03, 1.8661696E-04, -2.4878585E-06}}},
         0, 1820, 50},
        // 10: A-1
        {{{0, 2500, {7.1564735E-04, 1.1951905E-02, 1.6672625E-05, -2.8287807E-08, 2.8397839E-11, -1.8505007E-14,
                     7.3632123E-18, -1.6148878E-21, 1.4901679E-25}}},
         {{0, 2500, {9.643027E-01, 7.9495086E+01, -4.9990310E+00, 6.341776E-01, -4.7440967E-02, 2.1811337E-03,
                     -5.8324228E-05, 8.2433725E-07, -4.5928480E-09}}},
         0, 2500, 0},
        // 11: S
        {{{-50, 1064.18, {0, 5.40313308631E-03, 1.2593428974E-05, -2.32477968689E-08, 3.22028823036E-11,
                          -3.31465196389E-14, 2.55744251786E-17, -1.25068871393E-20, 2.71443176145E-24}},
          {1064.18, 1664.5, {1.32900444085E+00, 3.34509311344E-03, 6.54805192818E-06, -1.64856259209E-09,
                             1.29989605174E-14}},
          {1664.5, 1768.1, {1.46628232636E+02, -2.58430516752E-01, 1.63693574641E-04, -3.30439046987E-08,
                            -9.43223690612E-15}}},
         {{-50, 250, {0, 1.8494946E+02, -8.00504062E+01, 1.0223743E+02, -1.52248592E+02, 1.88821343E+02,
                      -1.59085941E+02, 8.2302788E+01, -2.34181944E+01, 2.7978626E+00}},
          {250, 1064, {1.291507177E+01, 1.466298863E+02, -1.534713402E+01, 3.145945973E+00, -4.163257839E-01,
                       3.187963771E-02, -1.2916375E-03, 2.183475087E-05, -1.447379511E-07, 8.211272125E-09}},
          {1064, 1664.5, {-8.087801117E+01, 1.621573104E+02, -8.536869453E+00, 4.719686976E-01, -1.441693666E-02,
                          2.08161889E-04}},
          {1664.5, 1768.1, {5.333875126E+04, -1.235892298E+04, 1.092657613E+03, -4.265693686E+01, 6.24720542E-01}}},
         -50, 1768.1, -50},
        // 12: L
        {{{-200, 0, {-5.8952244E-05, 6.3391502E-02, 6.7592964E-05, 2.0672566E-07, 5.5720884E-09, 5.7133860E-11,
                     3.2995593E-13, 9.9232420E-16, 1.2079584E-18}},
          {0, 800, {-1.8656953E-05, 6.3310975E-02, 6.0153091E-05, -8.0073134E-08, 9.6946071E-11, -3.6047289E-14,
                    -2.4694775E-16, 4.2880341E-19, -2.0725297E-22}}},
         {{-200, 0, {1.1573067E-04, 1.5884573E+01, 4.0458554E-02, 3.170064E-01, 1.666128E-01, 5.1946958E-02,
                     9.5288883E-03, 1.0301283E-03, 6.0654431E-05, 1.5131878E-06}},
          {0, 800, {7.2069422E-03, 1.5775525E+01, -2.261183E-01, 9.4286756E-03, -3.5394655E-04, 1.0050886E-05,
                    -1.9323678E-07, 2.3816891E-09, -1.7130654E-11, 5.4857331E-14}}},
         -200, 800, -200},
        // 13: T
        {{{-270, 0, {0, 3.8748106364E-02, 4.4194434347E-05, 1.1844323105E-07, 2.0032973554E-08, 9.0138019559E-10,
                     2.2651156593E-11, 3.6071154205E-13, 3.8493939883E-15, 2.8213521925E-17, 1.4251594779E-19,
                     4.8768662286E-22, 1.079553927E-24, 1.3945027062E-27, 7.9795153927E-31}},
          {0, 400, {0, 3.8748106364E-02, 3.329222788E-05, 2.0618243404E-07, -2.1882256846E-09, 1.0996880928E-11,
                    -3.0815758772E-14, 4.547913529E-17, -2.7512901673E-20}}},
         {{-200, 0, {0, 2.5949192E+01, -2.1316967E-01, 7.9018692E-01, 4.2527777E-01, 1.3304473E-01, 2.0241446E-02,
                     1.2668171E-03}},
          {0, 400, {0, 2.5928E+01, -7.602961E-01, 4.637791E-02, -2.165394E-03, 6.048144E-05, -7.293422E-07}}},
         -270, 400, -270},
        // 14: N
        {{{-270, 0, {0, 2.6159105962E-02, 1.0957484228E-05, -9.3841111554E-08, -4.6412039759E-11, -2.6303357716E-12,
                     -2.2653438003E-14, -7.6089300791E-17, -9.3419667835E-20}},
          {0, 1300, {0, 2.5929394601E-02, 1.571014188E-05, 4.3825627237E-08, -2.5261169794E-10, 6.4311819339E-13,
                     -1.0063471519E-15, 9.9745338992E-19, -6.0863245607E-22, 2.0849229339E-25, -3.0682196151E-29}}},
         {{-200, 0, {0, 3.8436847E+01, 1.1010485E+00, 5.2229312E+00, 7.2060525E+00, 5.8488586E+00, 2.7754916E+00,
                     7.7075166E-01, 1.1582665E-01, 7.3138868E-03}},
          {0, 600, {0, 3.86896E+01, -1.08267E+00, 4.70205E-02, -2.12169E-06, -1.17272E-04, 5.3928E-06, -7.98156E-08}},
          {600, 1300, {1.972485E+01, 3.300943E+01, -3.915159E-01, 9.855391E-03, -1.274371E-04, 7.767022E-07}}},
         -270, 1300, -270},
    };
    return kTc[code - 7];
}

double Horner(const std::vector<double>& c, double x)
{
    double y = 0;
    for (auto it = c.rbegin(); it != c.rend(); ++it) y = y * x + *it;
    return y;
}

double HornerDerivative(const std::vector<double>& c, double x)
{
    double y = 0;
    for (size_t i = c.size() - 1; i >= 1; --i) y = y * x + double(i) * c[i];
    return y;
}

const Poly& Segment(const std::vector<Poly>& segs, double t)
{
    for (const Poly& p : segs)
        if (t <= p.hi) return p;
    return segs.back();
}

double TcEmf(const Thermocouple& tc, double t)
{
    double e = Horner(Segment(tc.forward, t).c, t);
    if (tc.kExponential && t > 0) e += kKa0 * std::exp(kKa1 * (t - kKa2) * (t - kKa2));
    return e;
}

double TcSlope(const Thermocouple& tc, double t)
{
    double d = HornerDerivative(Segment(tc.forward, t).c, t);
    if (tc.kExponential && t > 0) d += kKa0 * std::exp(kKa1 * (t - kKa2) * (t - kKa2)) * 2 * kKa1 * (t - kKa2);
    return d;
}

bool IsRtd(int code) { return code >= 0 && code <= 6; }
bool IsTc(int code) { return code >= 7 && code <= 14; }

// Forward value and slope for any code (temperature in range assumed).
double Forward(int code, double t)
{
    if (IsRtd(code)) return kRtd[code].r0 * RtdW(kRtd[code].kind, t);
    return TcEmf(Tc(code), t);
}

double Slope(int code, double t)
{
    if (IsRtd(code)) return kRtd[code].r0 * RtdDwDt(kRtd[code].kind, t);
    return TcSlope(Tc(code), t);
}

// A guess from the standard's inverse, where it has one.
bool Guess(int code, double el, double* t)
{
    return StandardInverse(code, el, t) == Ok && std::isfinite(*t);
}

// ---------------------------------------------------------------------------------------------
// Tolerance classes: tolerance = max(a1 + b1·|t|, a2 + b2·|t|) on [lo, hi].

struct ToleranceClass {
    bool exists;
    double lo, hi, a1, b1, a2, b2;
};

constexpr ToleranceClass kNone = {false, 0, 0, 0, 0, 0, 0};

// RTD classes 0 AA, 1 A, 2 B, 3 C (GOST 6651-2009; the 0.00426 copper cut to its own range).
constexpr ToleranceClass kPlatinum[4] = {{true, -50, 250, 0.1, 0.0017, 0.1, 0.0017},
                                         {true, -100, 450, 0.15, 0.002, 0.15, 0.002},
                                         {true, -196, 660, 0.3, 0.005, 0.3, 0.005},
                                         {true, -196, 660, 0.6, 0.01, 0.6, 0.01}};
constexpr ToleranceClass kCopper428[4] = {kNone,
                                          {true, -50, 120, 0.15, 0.002, 0.15, 0.002},
                                          {true, -50, 200, 0.3, 0.005, 0.3, 0.005},
                                          {true, -180, 200, 0.6, 0.01, 0.6, 0.01}};
constexpr ToleranceClass kCopper426[4] = {kNone,
                                          {true, -50, 120, 0.15, 0.002, 0.15, 0.002},
                                          {true, -50, 200, 0.3, 0.005, 0.3, 0.005},
                                          {true, -50, 200, 0.6, 0.01, 0.6, 0.01}};

// Thermocouple classes 1, 2, 3 (IEC 60584-1; GOST for L and A-1), by code 7..14.
constexpr ToleranceClass kTcClasses[8][3] = {
    /* J */ {{true, -40, 750, 1.5, 0, 0, 0.004}, {true, -40, 750, 2.5, 0, 0, 0.0075}, kNone},
    /* K */ {{true, -40, 1000, 1.5, 0, 0, 0.004}, {true, -40, 1200, 2.5, 0, 0, 0.0075}, {true, -200, 40, 2.5, 0, 0, 0.015}},
    /* B */ {kNone, {true, 600, 1700, 0, 0.0025, 0, 0.0025}, {true, 600, 1700, 4.0, 0, 0, 0.005}},
    /* */ {kNone, {true, 1000, 2500, 0, 0.005, 0, 0.005}, {true, 1000, 2500, 0, 0.007, 0, 0.007}},
    /* S */ {{true, 0, 1600, 1.0, 0, -2.3, 0.003}, {true, 0, 1600, 1.5, 0, 0, 0.0025}, kNone},
    /* L */ {kNone, {true, -40, 800, 2.5, 0, 0.7, 0.005}, {true, -200, 100, 2.5, 0, 1.5, 0.01}},
    /* T */ {{true, -40, 350, 0.5, 0, 0, 0.004}, {true, -40, 350, 1.0, 0, 0, 0.0075}, {true, -200, 40, 1.0, 0, 0, 0.015}},
    /* N */ {{true, -40, 1000, 1.5, 0, 0, 0.004}, {true, -40, 1200, 2.5, 0, 0, 0.0075}, {true, -200, 40, 2.5, 0, 0, 0.015}},
};

const ToleranceClass* FindClass(int code, int cls)
{
    if (IsRtd(code)) {
        if (cls < 0 || cls > 3) return nullptr;
        const ToleranceClass* table = kRtd[code].kind == Rtd::Cu428   ? kCopper428
                                      : kRtd[code].kind == Rtd::Cu426 ? kCopper426
                                                                      : kPlatinum;
        return table[cls].exists ? &table[cls] : nullptr;
    }
    if (IsTc(code)) {
        if (cls < 1 || cls > 3) return nullptr;
        const ToleranceClass& c = kTcClasses[code - 7][cls - 1];
        return c.exists ? &c : nullptr;
    }
    return nullptr;
}

} // namespace

int TemperatureRange(int code, double* lo, double* hi)
{
    if (IsRtd(code)) {
        *lo = kRtd[code].tlo;
        *hi = kRtd[code].thi;
        return Ok;
    }
    if (IsTc(code)) {
        *lo = Tc(code).tlo;
        *hi = Tc(code).thi;
        return Ok;
    }
    return BadCode;
}

int InverseRange(int code, double* lo, double* hi)
{
    const int r = TemperatureRange(code, lo, hi);
    if (r == Ok && IsTc(code)) *lo = Tc(code).invLo;
    return r;
}

int TempToEl(int code, double t, double* el)
{
    double lo, hi;
    if (TemperatureRange(code, &lo, &hi) != Ok) return BadCode;
    if (!std::isfinite(t)) return NotFinite;
    if (t < lo || t > hi) return OutOfRange;
    *el = Forward(code, t);
    return Ok;
}

int StandardInverse(int code, double el, double* t)
{
    if (!std::isfinite(el)) return NotFinite;
    if (IsRtd(code)) {
        *t = RtdStandardInverse(kRtd[code].kind, el / kRtd[code].r0);
        return Ok;
    }
    if (!IsTc(code)) return BadCode;
    const Thermocouple& tc = Tc(code);
    for (const Poly& p : tc.inverse) {
        const double elo = TcEmf(tc, p.lo), ehi = TcEmf(tc, p.hi);
        if (el >= elo && el <= ehi) {
            *t = Horner(p.c, el);
            return Ok;
        }
    }
    return OutOfRange;
}

int ElToTemp(int code, double el, double* t)
{
    double lo, hi;
    if (InverseRange(code, &lo, &hi) != Ok) return BadCode;
    if (!std::isfinite(el)) return NotFinite;
    const double unit = IsRtd(code) ? 0.01 : 0.001; // one unit of the published tables
    const double elo = Forward(code, lo), ehi = Forward(code, hi);
    if (el < elo - unit || el > ehi + unit) return OutOfRange;
    if (el <= elo) {
        *t = lo;
        return Ok;
    }
    if (el >= ehi) {
        *t = hi;
        return Ok;
    }
    // Solve Forward(x) = el on the bracket [lo, hi] (Forward is increasing there): Newton from the
    // standard inverse, falling back to bisection whenever a step would leave the bracket.
    double a = lo, b = hi;
    double x;
    if (!Guess(code, el, &x) || !(x > a && x < b)) x = a + (b - a) * (el - elo) / (ehi - elo);
    for (int i = 0; i < 200; ++i) {
        const double f = Forward(code, x) - el;
        if (f == 0) break;
        if (f > 0) b = x;
        else a = x;
        const double d = Slope(code, x);
        double next = d > 0 ? x - f / d : NAN;
        if (!(next > a && next < b)) next = 0.5 * (a + b);
        const bool done = std::fabs(next - x) <= 1e-12 * (1 + std::fabs(x));
        x = next;
        if (done || b - a <= 1e-13 * (1 + std::fabs(x))) break;
    }
    *t = x;
    return Ok;
}

int OhmPerDegree(int code, double t, double* s)
{
    if (!IsRtd(code)) return BadCode;
    if (!std::isfinite(t)) return NotFinite;
    if (t < kRtd[code].tlo || t > kRtd[code].thi) return OutOfRange;
    *s = Slope(code, t);
    return Ok;
}

int MvPerDegree(int code, double t, double* s)
{
    if (!IsTc(code)) return BadCode;
    if (!std::isfinite(t)) return NotFinite;
    if (t < Tc(code).tlo || t > Tc(code).thi) return OutOfRange;
    *s = Slope(code, t);
    return Ok;
}

int ClassRange(int code, int cls, double* lo, double* hi)
{
    if (!IsRtd(code) && !IsTc(code)) return BadCode;
    const ToleranceClass* c = FindClass(code, cls);
    if (!c) return NoClass;
    *lo = c->lo;
    *hi = c->hi;
    return Ok;
}

int Tolerance(int code, double t, int cls, double* tol)
{
    if (!IsRtd(code) && !IsTc(code)) return BadCode;
    const ToleranceClass* c = FindClass(code, cls);
    if (!c) return NoClass;
    if (!std::isfinite(t)) return NotFinite;
    if (t < c->lo || t > c->hi) return OutOfRange;
    const double m = std::fabs(t);
    *tol = std::max({c->a1 + c->b1 * m, c->a2 + c->b2 * m, 0.0});
    return Ok;
}

} // namespace polynoms
