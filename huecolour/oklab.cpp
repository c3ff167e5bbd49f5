#include "huecolour/oklab.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

namespace huecolour {

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

// Linear sRGB to XYZ (D65), from the sRGB primaries as CSS Color 4 gives them.
constexpr Matrix LinearSrgbToXyz = {{
    {506752.0 / 1228815.0, 87881.0 / 245763.0, 12673.0 / 70218.0},
    {87098.0 / 409605.0, 175762.0 / 245763.0, 12673.0 / 175545.0},
    {7918.0 / 409605.0, 87881.0 / 737289.0, 1001167.0 / 1053270.0},
}};

// Ottosson's M1 (XYZ to cone response) and M2 (compressed cone response to Lab).
constexpr Matrix XyzToLms = {{
    {0.8189330101, 0.3618667424, -0.1288597137},
    {0.0329845436, 0.9293118715, 0.0361456387},
    {0.0482003018, 0.2643662691, 0.6338517070},
}};
constexpr Matrix LmsToLab = {{
    {0.2104542553, 0.7936177850, -0.0040720468},
    {1.9779984951, -2.4285922050, 0.4505937099},
    {0.0259040371, 0.7827717662, -0.8086757660},
}};

std::array<double, 3> Multiply(const Matrix& m, const std::array<double, 3>& v) {
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
            m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

constexpr Matrix Product(const Matrix& a, const Matrix& b) {
    Matrix product{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            for (std::size_t k = 0; k < 3; ++k) product[i][j] += a[i][k] * b[k][j];
        }
    }
    return product;
}

// The way back, from the same matrices, so that a colour goes there and back unchanged.
constexpr Matrix Inverse(const Matrix& m) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Matrix inverse{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            // The cofactor of m[j][i], from the rows and columns other than j and i.
            const std::size_t r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3,
                              c1 = (i + 2) % 3;
            inverse[i][j] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / det;
        }
    }
    return inverse;
}

// The cube root as browsers take it (Math.cbrt), so that the page and the program agree to the
// last bit, and C libraries, whose cbrt differ there, do not matter: FreeBSD's, from fdlibm:
//   Copyright (C) 1993 by Sun Microsystems, Inc. All rights reserved.
//   Developed at SunPro, a Sun Microsystems, Inc. business. Permission to use, copy, modify,
//   and distribute this software is freely granted, provided that this notice is preserved.
// A first guess from the exponent's bits, a polynomial to 23 bits, rounded away from zero, and
// one Newton step to 53 bits (within 0.667 units in the last place). Only IEEE operations,
// which give the same bits everywhere.
double Cbrt(double x) {
    constexpr std::uint32_t B1 = 715094163;  // (1023 - 1023 / 3 - 0.03306235651) * 2^20
    constexpr std::uint32_t B2 = 696219795;  // (1023 - 1023 / 3 - 54 / 3 - 0.03306235651) * 2^20
    constexpr double P0 = 1.87595182427177009643, P1 = -1.88497979543377169875,
                     P2 = 1.621429720105354466140, P3 = -0.758397934778766047437,
                     P4 = 0.145996192886612446982;
    const auto highWord = [](double value) {
        return static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(value) >> 32U);
    };
    const auto fromHighWord = [](std::uint32_t high) {
        return std::bit_cast<double>(std::uint64_t{high} << 32U);
    };
    std::uint32_t high = highWord(x);
    const std::uint32_t sign = high & 0x80000000U;
    high ^= sign;
    if (high >= 0x7ff00000U) return x + x;  // NaN and infinities
    double t = 0.0;
    if (high < 0x00100000U) {  // zero or subnormal
        if (x == 0.0) return x;
        t = fromHighWord(0x43500000U) * x;  // 2^54 x
        t = fromHighWord(sign | ((highWord(t) & 0x7fffffffU) / 3 + B2));
    } else {
        t = fromHighWord(sign | (high / 3 + B1));
    }
    double r = (t * t) * (t / x);
    t = t * ((P0 + r * (P1 + r * P2)) + ((r * r) * r) * (P3 + r * P4));
    t = std::bit_cast<double>((std::bit_cast<std::uint64_t>(t) + 0x80000000U) &
                              0xffffffffc0000000ULL);
    const double s = t * t;
    r = x / s;
    const double w = t + t;
    r = (r - t) / (w + r);
    return t + t * r;
}

// The quick conversion works in single precision, four colours to a vector register.
using QuickMatrix = std::array<std::array<float, 3>, 3>;

constexpr QuickMatrix InSinglePrecision(const Matrix& m) {
    QuickMatrix single{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) single[i][j] = static_cast<float>(m[i][j]);
    }
    return single;
}

// Linear sRGB straight to cone response: one product instead of two.
constexpr QuickMatrix QuickLinearSrgbToLms = InSinglePrecision(Product(XyzToLms, LinearSrgbToXyz));
constexpr QuickMatrix QuickLmsToLab = InSinglePrecision(LmsToLab);

// The cube root of a >= 0 to within 5e-5, relatively: a first guess from the bits, whose
// exponent divided by three is the root's (3.5% off at worst), then one step of Halley's
// method, which roughly cubes the relative error. The root of 0 comes out as 1e-13, near
// enough; with no branch, a loop of it vectorises.
inline float QuickCbrt(float a) {
    const auto guess = std::bit_cast<float>(std::bit_cast<std::uint32_t>(a) / 3U + 0x2A5137A0U);
    const float cube = guess * guess * guess;
    return guess * (cube + 2.0F * a) / (2.0F * cube + a);
}

struct QuickLms {
    float l, m, s;
};

QuickLms QuickLmsFromSrgb(huedata::Rgb24 color) {
    const auto& m = QuickLinearSrgbToLms;
    const auto r = static_cast<float>(LinearFromSrgb(color.red));
    const auto g = static_cast<float>(LinearFromSrgb(color.green));
    const auto b = static_cast<float>(LinearFromSrgb(color.blue));
    return {m[0][0] * r + m[0][1] * g + m[0][2] * b, m[1][0] * r + m[1][1] * g + m[1][2] * b,
            m[2][0] * r + m[2][1] * g + m[2][2] * b};
}

inline std::array<float, 3> QuickLabFromLms(float l, float m, float s) {
    const auto& k = QuickLmsToLab;
    const float lc = QuickCbrt(l), mc = QuickCbrt(m), sc = QuickCbrt(s);
    return {k[0][0] * lc + k[0][1] * mc + k[0][2] * sc, k[1][0] * lc + k[1][1] * mc + k[1][2] * sc,
            k[2][0] * lc + k[2][1] * mc + k[2][2] * sc};
}

}  // namespace

// Each channel's linear value, c / 255 taken through the sRGB transfer function in double
// precision (c / 12.92 up to 0.04045, ((c + 0.055) / 1.055) ^ 2.4 above): written out rather than
// computed, as the C libraries' pow differ in the last bit, so that every system (and the page,
// which is given this table) measures the same distances.
// clang-format off
constexpr std::array<double, 256> LinearChannels = {
    0.0, 0.0003035269835488375, 0.000607053967097675, 0.0009105809506465125,
    0.00121410793419535, 0.0015176349177441874, 0.001821161901293025, 0.0021246888848418626,
    0.0024282158683907, 0.0027317428519395373, 0.003035269835488375, 0.003346535763899161,
    0.003676507324047436, 0.004024717018496307, 0.004391442037410293, 0.004776953480693729,
    0.005181516702338386, 0.005605391624202723, 0.006048833022857054, 0.006512090792594475,
    0.006995410187265387, 0.007499032043226175, 0.008023192985384994, 0.008568125618069307,
    0.009134058702220787, 0.00972121732023785, 0.010329823029626936, 0.010960094006488246,
    0.011612245179743885, 0.012286488356915872, 0.012983032342173012, 0.013702083047289686,
    0.014443843596092545, 0.01520851442291271, 0.01599629336550963, 0.016807375752887384,
    0.017641954488384078, 0.018500220128379697, 0.019382360956935723, 0.0202885630566524,
    0.021219010376003555, 0.02217388479338738, 0.02315336617811041, 0.024157632448504756,
    0.02518685962736163, 0.026241221894849898, 0.027320891639074894, 0.028426039504420793,
    0.0295568344378088, 0.030713443732993635, 0.03189603307301153, 0.033104766570885055,
    0.03433980680868217, 0.03560131487502034, 0.03688945040110004, 0.0382043715953465,
    0.03954623527673284, 0.04091519690685319, 0.042311410620809675, 0.043735029256973465,
    0.04518620438567554, 0.046665086336880095, 0.04817182422688942, 0.04970656598412723,
    0.05126945837404324, 0.052860647023180246, 0.05448027644244237, 0.05612849004960009,
    0.05780543019106723, 0.0595112381629812, 0.06124605423161761, 0.06301001765316767,
    0.06480326669290577, 0.06662593864377289, 0.06847816984440017, 0.07036009569659588,
    0.07227185068231748, 0.07421356838014963, 0.07618538148130785, 0.07818742180518633,
    0.08021982031446832, 0.0822827071298148, 0.08437621154414882, 0.08650046203654976,
    0.08865558628577294, 0.09084171118340768, 0.09305896284668745, 0.0953074666309647,
    0.09758734714186246, 0.09989872824711389, 0.10224173308810132, 0.10461648409110419,
    0.10702310297826761, 0.10946171077829933, 0.1119324278369056, 0.11443537382697373,
    0.11697066775851084, 0.11953842798834562, 0.12213877222960187, 0.12477181756095049,
    0.12743768043564743, 0.1301364766903643, 0.13286832155381798, 0.13563332965520566,
    0.13843161503245183, 0.14126329114027164, 0.14412847085805777, 0.14702726649759498,
    0.14995978981060856, 0.15292615199615017, 0.1559264637078274, 0.1589608350608804,
    0.162029375639111, 0.1651321945016676, 0.16826940018969075, 0.1714411007328226,
    0.17464740365558504, 0.17788841598362912, 0.18116424424986022, 0.184474994500441,
    0.18782077230067787, 0.19120168274079138, 0.1946178304415758, 0.19806931955994886,
    0.20155625379439707, 0.20507873639031693, 0.20863687014525575, 0.21223075741405523,
    0.21586050011389926, 0.2195261997292692, 0.2232279573168085, 0.22696587351009836,
    0.23074004852434915, 0.23455058216100522, 0.238397573812271, 0.24228112246555486,
    0.24620132670783548, 0.25015828472995344, 0.25415209433082675, 0.2581828529215958,
    0.26225065752969623, 0.26635560480286247, 0.2704977910130658, 0.27467731206038465,
    0.2788942634768104, 0.2831487404299921, 0.2874408377269175, 0.29177064981753587,
    0.2961382707983211, 0.3005437944157765, 0.3049873140698863, 0.30946892281750854,
    0.31398871337571754, 0.31854677812509186, 0.32314320911295075, 0.3277780980565422,
    0.33245153634617935, 0.33716361504833037, 0.3419144249086609, 0.3467040563550296,
    0.35153259950043936, 0.3564001441459435, 0.3613067797835095, 0.3662525955988395,
    0.3712376804741491, 0.3762621229909065, 0.38132601143253014, 0.386429433787049,
    0.39157247774972326, 0.39675523072562685, 0.4019777798321958, 0.4072402119017367,
    0.41254261348390375, 0.4178850708481375, 0.4232676699860717, 0.4286904966139066,
    0.43415363617474895, 0.4396571738409188, 0.44520119451622786, 0.45078578283822346,
    0.45641102318040466, 0.4620769996544071, 0.467783796112159, 0.47353149614800955,
    0.4793201831008268, 0.4851499400560704, 0.4910208498478356, 0.4969329950608704,
    0.5028864580325687, 0.5088813208549338, 0.5149176653765214, 0.5209955732043543,
    0.5271151257058131, 0.5332764040105052, 0.5394794890121072, 0.5457244613701866,
    0.5520114015120001, 0.5583403896342679, 0.5647115057049292, 0.5711248294648731,
    0.5775804404296506, 0.5840784178911641, 0.5906188409193369, 0.5972017883637634,
    0.6038273388553378, 0.6104955708078648, 0.6172065624196511, 0.6239603916750761,
    0.6307571363461468, 0.6375968739940326, 0.6444796819705821, 0.6514056374198242,
    0.6583748172794485, 0.665387298282272, 0.6724431569576875, 0.6795424696330938,
    0.6866853124353135, 0.6938717612919899, 0.7011018919329731, 0.7083757798916868,
    0.7156935005064807, 0.7230551289219693, 0.7304607400903537, 0.7379104087727308,
    0.7454042095403874, 0.7529422167760779, 0.7605245046752924, 0.768151147247507,
    0.7758222183174236, 0.7835377915261935, 0.7912979403326302, 0.799102738014409,
    0.8069522576692516, 0.8148465722161012, 0.8227857543962835, 0.8307698767746546,
    0.83879901174074, 0.846873231509858, 0.8549926081242338, 0.8631572134541023,
    0.8713671191987972, 0.8796223968878317, 0.8879231178819663, 0.8962693533742664,
    0.9046611743911496, 0.9130986517934192, 0.9215818562772946, 0.9301108583754237,
    0.938685728457888, 0.9473065367331999, 0.9559733532492861, 0.9646862478944651,
    0.9734452903984125, 0.9822505503331171, 0.9911020971138298, 1.0,
};
// clang-format on

const OkLabMatrices& OkLabMatricesUsed() {
    static constexpr OkLabMatrices Used{LinearSrgbToXyz, XyzToLms, LmsToLab};
    return Used;
}

double LinearFromSrgb(std::uint8_t channel) {
    return LinearChannels[channel];
}

std::uint8_t SrgbFromLinear(double linear) {
    const double c =
        linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return static_cast<std::uint8_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
}

OkLab OkLabFromXyz(double x, double y, double z) {
    const auto lms = Multiply(XyzToLms, {x, y, z});
    const auto lab = Multiply(LmsToLab, {Cbrt(lms[0]), Cbrt(lms[1]), Cbrt(lms[2])});
    return {lab[0], lab[1], lab[2]};
}

OkLab OkLabFromSrgb(huedata::Rgb24 color) {
    const auto xyz = Multiply(
        LinearSrgbToXyz,
        {LinearFromSrgb(color.red), LinearFromSrgb(color.green), LinearFromSrgb(color.blue)});
    return OkLabFromXyz(xyz[0], xyz[1], xyz[2]);
}

std::array<double, 3> LinearSrgbFromOkLab(const OkLab& lab) {
    static const Matrix labToLms = Inverse(LmsToLab);
    static const Matrix xyzToLinearSrgb = Inverse(LinearSrgbToXyz);
    static const Matrix lmsToXyz = Inverse(XyzToLms);
    const auto root = Multiply(labToLms, {lab.L, lab.a, lab.b});
    const auto xyz = Multiply(lmsToXyz, {root[0] * root[0] * root[0], root[1] * root[1] * root[1],
                                         root[2] * root[2] * root[2]});
    return Multiply(xyzToLinearSrgb, xyz);
}

huedata::Rgb24 SrgbFromOkLab(const OkLab& lab) {
    const auto linear = LinearSrgbFromOkLab(lab);
    return {SrgbFromLinear(linear[0]), SrgbFromLinear(linear[1]), SrgbFromLinear(linear[2])};
}

OkLab QuickOkLabFromSrgb(huedata::Rgb24 color) {
    const QuickLms lms = QuickLmsFromSrgb(color);
    const auto lab = QuickLabFromLms(lms.l, lms.m, lms.s);
    return {lab[0], lab[1], lab[2]};
}

void QuickDeltaEOK(const OkLab& target, std::span<const huedata::Rgb24> colors,
                   std::span<float> distances) {
    // A block at a time: the table look-ups first, then the arithmetic, which vectorises, then
    // the square roots, which would not (they may set errno).
    constexpr std::size_t Block = 256;
    std::array<float, Block> l{}, m{}, s{}, squared{};
    const auto targetL = static_cast<float>(target.L);
    const auto targetA = static_cast<float>(target.a);
    const auto targetB = static_cast<float>(target.b);
    for (std::size_t start = 0; start < colors.size(); start += Block) {
        const std::size_t count = std::min(Block, colors.size() - start);
        for (std::size_t i = 0; i < count; ++i) {
            const QuickLms lms = QuickLmsFromSrgb(colors[start + i]);
            l[i] = lms.l;
            m[i] = lms.m;
            s[i] = lms.s;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const auto lab = QuickLabFromLms(l[i], m[i], s[i]);
            const float dL = lab[0] - targetL, da = lab[1] - targetA, db = lab[2] - targetB;
            squared[i] = dL * dL + da * da + db * db;
        }
        for (std::size_t i = 0; i < count; ++i) distances[start + i] = std::sqrt(squared[i]);
    }
}

double DeltaEOK(const OkLab& first, const OkLab& second) {
    const double dL = first.L - second.L, da = first.a - second.a, db = first.b - second.b;
    return std::sqrt(dL * dL + da * da + db * db);
}

std::array<huedata::Rgb24, 32> GradientColors(std::span<const huedata::Rgb24> stops) {
    std::array<huedata::Rgb24, 32> colors{};
    const std::size_t gaps = stops.size() - 1;
    for (std::size_t i = 0; i < colors.size(); ++i) {
        // Colour i lies i * gaps / 31 of the way along the stops.
        const std::size_t stop = i * gaps / 31;
        const std::size_t rest = i * gaps % 31;
        if (rest == 0) {
            colors[i] = stops[stop];
            continue;
        }
        const OkLab from = OkLabFromSrgb(stops[stop]);
        const OkLab to = OkLabFromSrgb(stops[stop + 1]);
        const double t = static_cast<double>(rest) / 31.0;
        colors[i] = SrgbFromOkLab({from.L + (to.L - from.L) * t, from.a + (to.a - from.a) * t,
                                   from.b + (to.b - from.b) * t});
    }
    return colors;
}

}  // namespace huecolour
