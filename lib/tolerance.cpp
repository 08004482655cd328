// Monte Carlo of a coupler over its tolerances: the samples drawn from per-index streams,
// analysed in parallel into their own slots, reduced in index order.
#include "cuplo/tolerance.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <thread>

namespace cuplo {
namespace {

constexpr std::uint32_t kMaxThreads = 64;
constexpr std::int64_t kChunk = 32;  // samples a thread takes at a time
constexpr std::size_t kDeviates = 6;

// SplitMix64 (Steele, Lea and Flood 2014): a 64-bit state advanced by a constant and mixed.
struct SplitMix64 {
  std::uint64_t state;
  std::uint64_t next() noexcept {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
};

// A uniform deviate strictly inside (0, 1): 53 random bits, centred in their cell.
double open_unit(std::uint64_t bits) noexcept {
  return (static_cast<double>(bits >> 11) + 0.5) * 0x1.0p-53;
}

// The natural logarithm of x > 0 in IEEE arithmetic alone: x = m 2^k exactly (frexp), m in
// [sqrt(1/2), sqrt(2)), and ln m = 2 atanh(z), z = (m - 1)/(m + 1), |z| < 0.172, by its series
// (30 terms: far below the last bit).
double logarithm(double x) noexcept {
  int k = 0;
  double m = std::frexp(x, &k);
  if (m < 0.70710678118654752440) {
    m *= 2.0;
    k -= 1;
  }
  const double z = (m - 1.0) / (m + 1.0);
  const double z2 = z * z;
  double term = z;
  double sum = 0.0;
  for (int i = 0; i < 30; ++i) {
    sum += term / static_cast<double>(2 * i + 1);
    term *= z2;
  }
  return 2.0 * sum + static_cast<double>(k) * 0.69314718055994530942;
}

double polynomial(const double (&c)[8], double x) noexcept {
  double v = c[7];
  for (int i = 6; i >= 0; --i) v = v * x + c[i];
  return v;
}

// The standard normal deviate whose probability is p, 0 < p < 1: Wichura's algorithm AS 241
// (PPND16, Applied Statistics 37, 1988), good to about 1e-16.
double normal_quantile(double p) noexcept {
  static constexpr double a[8] = {3.3871328727963666080e0, 1.3314166789178437745e+2,
                                  1.9715909503065514427e+3, 1.3731693765509461125e+4,
                                  4.5921953931549871457e+4, 6.7265770927008700853e+4,
                                  3.3430575583588128105e+4, 2.5090809287301226727e+3};
  static constexpr double b[8] = {1.0,
                                  4.2313330701600911252e+1,
                                  6.8718700749205790830e+2,
                                  5.3941960214247511077e+3,
                                  2.1213794301586595867e+4,
                                  3.9307895800092710610e+4,
                                  2.8729085735721942674e+4,
                                  5.2264952788528545610e+3};
  static constexpr double c[8] = {1.42343711074968357734e0, 4.63033784615654529590e0,
                                  5.76949722146069140550e0, 3.64784832476320460504e0,
                                  1.27045825245236838258e0, 2.41780725177450611770e-1,
                                  2.27238449892691845833e-2, 7.74545014278341407640e-4};
  static constexpr double d[8] = {1.0,
                                  2.05319162663775882187e0,
                                  1.67638483018380384940e0,
                                  6.89767334985100004550e-1,
                                  1.48103976427480074590e-1,
                                  1.51986665636164571966e-2,
                                  5.47593808499534494600e-4,
                                  1.05075007164441684324e-9};
  static constexpr double e[8] = {6.65790464350110377720e0, 5.46378491116411436990e0,
                                  1.78482653991729133580e0, 2.96560571828504891230e-1,
                                  2.65321895265761230930e-2, 1.24266094738807843860e-3,
                                  2.71155556874348757815e-5, 2.01033439929228813265e-7};
  static constexpr double f[8] = {1.0,
                                  5.99832206555887937690e-1,
                                  1.36929880922735805310e-1,
                                  1.48753612908506148525e-2,
                                  7.86869131145613259100e-4,
                                  1.84631831751005468180e-5,
                                  1.42151175831644588870e-7,
                                  2.04426310338993978564e-15};
  const double q = p - 0.5;
  if (std::fabs(q) <= 0.425) {
    const double r = 0.180625 - q * q;
    return q * polynomial(a, r) / polynomial(b, r);
  }
  double r = q < 0.0 ? p : 1.0 - p;
  r = std::sqrt(-logarithm(r));
  double v = 0.0;
  if (r <= 5.0) {
    r -= 1.6;
    v = polynomial(c, r) / polynomial(d, r);
  } else {
    r -= 5.0;
    v = polynomial(e, r) / polynomial(f, r);
  }
  return q < 0.0 ? -v : v;
}

// A tolerance in the value's own unit.
double absolute(const Tolerance& t, float nominal) {
  return t.relative ? static_cast<double>(t.value) * std::fabs(static_cast<double>(nominal))
                    : static_cast<double>(t.value);
}

struct Nominal {
  Substrate sub;
  CrossSection xs;
  float length = 0.0f;
  float f = 0.0f;  // operating frequency
  // Absolute tolerances, scaled to one standard deviation (normal) or the half-width.
  std::array<double, kDeviates> scale{};
};

// A sample's values from its deviates and what it does; NaN values where it failed.
Sample evaluate(const ToleranceRequest& q, const Nominal& n, const std::array<double, 6>& dev) {
  const double etch = n.scale[5] * dev[5];
  Sample out;
  out.w = static_cast<float>(static_cast<double>(n.xs.w) + n.scale[0] * dev[0] - 2.0 * etch);
  out.s = static_cast<float>(static_cast<double>(n.xs.s) + n.scale[1] * dev[1] + 2.0 * etch);
  out.h = static_cast<float>(static_cast<double>(n.sub.h) + n.scale[2] * dev[2]);
  out.er = static_cast<float>(static_cast<double>(n.sub.er) + n.scale[3] * dev[3]);
  out.t = static_cast<float>(static_cast<double>(n.sub.t) + n.scale[4] * dev[4]);
  out.values.fill(std::numeric_limits<float>::quiet_NaN());
  Substrate sub = n.sub;
  sub.h = out.h;
  sub.er = out.er;
  sub.t = out.t;
  const Analysis a(sub, CrossSection{n.xs.n, out.w, out.s}, q.model);
  const Result<float> fo = a.centre_frequency(n.length);
  const Result<Impedances> z = a.impedances(n.f);
  const Result<FourPort> fp = a.four_port(n.length, n.f, {q.reference_ohm, q.reference_ohm});
  if (!fo || !z || !fp) return out;
  const FourPort& r = *fp;
  out.values = {z->zo,
                z->coupling_db,
                *fo,
                r.mag_db[1] - r.mag_db[3],
                r.phase_difference,
                -r.mag_db[2],
                -r.mag_db[0]};
  out.ok = std::all_of(out.values.begin(), out.values.end(),
                       [](float v) { return std::isfinite(v); });
  return out;
}

// Linear between the order statistics of sorted x: the value at fraction p of the way from
// the first to the last.
double percentile(const std::vector<float>& x, double percent) {
  const double h = static_cast<double>(x.size() - 1) * percent / 100.0;
  const std::size_t lo = static_cast<std::size_t>(h);
  if (lo + 1 >= x.size()) return static_cast<double>(x.back());
  const double frac = h - static_cast<double>(lo);
  return static_cast<double>(x[lo]) +
         frac * (static_cast<double>(x[lo + 1]) - static_cast<double>(x[lo]));
}

// Every sample, on threads taking chunks of indices in turn; each writes its own slots, so
// the samples do not depend on how many threads drew them.
void draw_all(const ToleranceRequest& q, const Nominal& n, std::vector<Sample>& samples) {
  std::atomic<std::int64_t> next{0};
  const std::int64_t count = static_cast<std::int64_t>(samples.size());
  const auto work = [&]() noexcept {
    for (std::int64_t round = 0; round <= count / kChunk; ++round) {
      const std::int64_t first = next.fetch_add(kChunk);
      if (first >= count) return;
      const std::int64_t last = std::min(first + kChunk, count);
      for (std::int64_t i = first; i < last; ++i) {
        samples[static_cast<std::size_t>(i)] =
            evaluate(q, n, deviates(q.seed, i, q.distribution));
      }
    }
  };
  std::uint32_t threads = q.threads != 0 ? q.threads : std::thread::hardware_concurrency();
  threads = std::clamp<std::uint32_t>(threads, 1, kMaxThreads);
#ifdef __EMSCRIPTEN__
  threads = 1;  // the page's WebAssembly has no threads: the page's own thread draws them all
#endif
  std::vector<std::thread> helpers;
  try {
    helpers.reserve(threads - 1);
    for (std::uint32_t k = 1; k < threads; ++k) helpers.emplace_back(work);
  } catch (const std::exception&) {
    // Fewer threads than asked: this one and those started draw every sample all the same.
  }
  work();
  for (std::thread& t : helpers) t.join();
}

}  // namespace

std::array<double, 6> deviates(std::uint64_t seed, std::int64_t index,
                               Distribution distribution) noexcept {
  // The stream of sample index: its own starting state, mixed from the seed and the index.
  SplitMix64 key{seed};
  SplitMix64 stream{key.next() ^ (static_cast<std::uint64_t>(index) * 0xD1B54A32D192ED03ULL)};
  std::array<double, kDeviates> out{};
  for (double& d : out) {
    const double u = open_unit(stream.next());
    d = distribution == Distribution::normal ? normal_quantile(u) : 2.0 * u - 1.0;
  }
  return out;
}

const char* invalid(const ToleranceRequest& q) noexcept {
  if (q.samples < 1 || q.samples > kMaxSamples) return "samples: from 1 to 1000000";
  const auto bad = [](const Tolerance& t) { return !std::isfinite(t.value) || t.value < 0.0f; };
  if (bad(q.w)) return "w_tol: negative or not a number";
  if (bad(q.s)) return "s_tol: negative or not a number";
  if (bad(q.h)) return "h_tol: negative or not a number";
  if (bad(q.er)) return "er_tol: negative or not a number";
  if (bad(q.t)) return "t_tol: negative or not a number";
  if (bad(q.etch)) return "etch_tol: negative or not a number";
  const Substrate& sub = q.substrate;
  const CrossSection& xs = q.coupler.section;
  // A tolerance as large as the value's room to the edge of its range would draw couplers
  // that cannot exist (no width, no substrate, Er below 1) in a share of the samples.
  if (q.w.value > 0.0f && !(absolute(q.w, xs.w) < static_cast<double>(xs.w))) {
    return "w_tol: not below the width";
  }
  if (q.s.value > 0.0f && !(absolute(q.s, xs.s) < static_cast<double>(xs.s))) {
    return "s_tol: not below the spacing";
  }
  if (q.h.value > 0.0f && !(absolute(q.h, sub.h) < static_cast<double>(sub.h))) {
    return "h_tol: not below the height";
  }
  if (q.er.value > 0.0f && !(absolute(q.er, sub.er) < static_cast<double>(sub.er) - 1.0)) {
    return "er_tol: not below Er - 1";
  }
  if (q.t.value > 0.0f && !(absolute(q.t, sub.t) <= static_cast<double>(sub.t))) {
    return "t_tol: above the thickness";
  }
  if (q.etch.relative && q.etch.value > 0.0f && !(q.nominal_etch > 0.0f)) {
    return "etch_tol: a relative tolerance of no etch";
  }
  if (q.etch.value > 0.0f &&
      !(2.0 * absolute(q.etch, q.nominal_etch) < static_cast<double>(std::fmin(xs.w, xs.s)))) {
    return "etch_tol: twice it not below the narrower of W and S";
  }
  if (!std::isfinite(q.operating_ghz) || q.operating_ghz < 0.0f) {
    return "operating frequency: negative";
  }
  return nullptr;
}

Result<ToleranceResult> tolerance(const ToleranceRequest& q) {
  using Out = Result<ToleranceResult>;
  if (const char* why = invalid(q)) return Out::failed(Failure::invalid_input, why);
  const Analysis nominal(q.substrate, q.coupler.section, q.model);
  Nominal n{q.substrate, q.coupler.section, q.coupler.length, q.operating_ghz, {}};
  if (!(n.f > 0.0f)) {
    const Result<float> fo = nominal.centre_frequency(q.coupler.length);
    if (!fo) return Out::failed(fo.failure(), fo.detail(), fo.limits(), fo.point());
    n.f = *fo;
  }
  const Result<FourPort> check = nominal.four_port(q.coupler.length, n.f, {q.reference_ohm,
                                                                          q.reference_ohm});
  if (!check) return Out::failed(check.failure(), check.detail(), check.limits(), check.point());
  const double sigmas = q.distribution == Distribution::normal ? 3.0 : 1.0;
  n.scale = {absolute(q.w, q.coupler.section.w) / sigmas,
             absolute(q.s, q.coupler.section.s) / sigmas,
             absolute(q.h, q.substrate.h) / sigmas,
             absolute(q.er, q.substrate.er) / sigmas,
             absolute(q.t, q.substrate.t) / sigmas,
             absolute(q.etch, q.nominal_etch) / sigmas};

  ToleranceResult out;
  out.samples = q.samples;
  out.operating_ghz = n.f;
  out.nominal = evaluate(q, n, {});
  if (!out.nominal.ok) {
    return Out::failed(Failure::no_solution, "the nominal design", check.limits(), check.point());
  }
  std::vector<Sample> samples(static_cast<std::size_t>(q.samples));
  draw_all(q, n, samples);

  // The reduction, in index order.
  std::vector<float> values;
  values.reserve(samples.size());
  for (const Sample& x : samples) {
    if (!x.ok) ++out.failed;
    bool all = x.ok;
    for (std::size_t k = 0; k < kQuantityCount; ++k) {
      const Window& win = q.spec[k];
      if (!win.given) continue;
      const bool in = x.ok && x.values[k] >= win.low && x.values[k] <= win.high;
      if (in) ++out.passing[k];
      all = all && in;
    }
    if (all) ++out.passing_all;
  }
  for (std::size_t k = 0; k < kQuantityCount; ++k) {
    Spread& sp = out.spread[k];
    sp.nominal = out.nominal.values[k];
    values.clear();
    for (const Sample& x : samples) {
      if (x.ok) values.push_back(x.values[k]);
    }
    if (values.empty()) {
      sp.percentile.fill(std::nan(""));
      sp.mean = sp.sd = std::nan("");
      continue;
    }
    double sum = 0.0;
    for (const float v : values) sum += static_cast<double>(v);
    sp.mean = sum / static_cast<double>(values.size());
    double squares = 0.0;
    for (const float v : values) {
      const double d = static_cast<double>(v) - sp.mean;
      squares += d * d;
    }
    sp.sd = values.size() > 1 ? std::sqrt(squares / static_cast<double>(values.size() - 1)) : 0.0;
    std::sort(values.begin(), values.end());
    for (std::size_t i = 0; i < kPercentiles.size(); ++i) {
      sp.percentile[i] = percentile(values, kPercentiles[i]);
    }
  }
  if (q.keep_samples) out.drawn = std::move(samples);
  return {std::move(out), check.limits(), check.point()};
}

namespace {

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

namespace {

Parsed<Tolerance> percent_tolerance(std::string_view name, std::string_view number) {
  const Parsed<float> percent =
      parse_value(name, number, {Dimension::plain, Bound::non_negative, {}});
  if (!percent) return Parsed<Tolerance>::refused(percent.message());
  return Tolerance{*percent / 100.0f, true};
}

Parsed<Tolerance> absolute_tolerance(const Parsed<float>& value) {
  if (!value) return Parsed<Tolerance>::refused(value.message());
  return Tolerance{*value, false};
}

}  // namespace

Parsed<Tolerance> parse_tolerance(std::string_view name, std::string_view text,
                                  Dimension dimension, LengthUnit bare_length) {
  const std::string_view t = trimmed(text);
  if (t.ends_with('%')) return percent_tolerance(name, t.substr(0, t.size() - 1));
  return absolute_tolerance(
      parse_value(name, text, {dimension, Bound::non_negative, {}}, bare_length));
}

Parsed<Tolerance> parse_tolerance(std::string_view name, std::string_view text,
                                  Dimension dimension, std::string_view bare_unit) {
  const std::string_view t = trimmed(text);
  if (t.ends_with('%')) return percent_tolerance(name, t.substr(0, t.size() - 1));
  const bool bare_percent = bare_unit == "%";
  if (bare_percent && !typed_unit(t, dimension)) return percent_tolerance(name, t);
  return absolute_tolerance(parse_value(name, t, {dimension, Bound::non_negative, {}},
                                        bare_percent ? std::string_view() : bare_unit));
}

Parsed<Window> parse_limits(std::string_view name, std::string_view text, Quantity quantity) {
  using Out = Parsed<Window>;
  const std::string head = std::string(name) + ": " + quoted(text);
  Dimension dimension = Dimension::plain;
  const char* example = nullptr;
  switch (quantity) {
    case Quantity::coupling_db:
      dimension = Dimension::decibel;
      example = "3+-0.5dB";
      break;
    case Quantity::balance_db:
      dimension = Dimension::decibel;
      break;
    case Quantity::phase_deg:
      example = "90+-3deg";
      break;
    case Quantity::fo_ghz:
      dimension = Dimension::frequency;
      example = "5.8GHz+-2%";
      break;
    default:
      return Out::refused(std::string(name) + ": this quantity takes no limits");
  }
  const ValueKind kind{dimension, Bound::non_negative, {}};
  std::string message;
  // Degrees are the phase's unit: written or not.
  const auto value = [&](std::string_view part, float& out) {
    part = trimmed(part);
    if (quantity == Quantity::phase_deg && part.ends_with("deg")) part.remove_suffix(3);
    const Parsed<float> v = parse_value(name, part, kind);
    if (!v) message = v.message();
    out = v ? *v : 0.0f;
    return v.ok();
  };
  const std::string_view t = trimmed(text);
  const std::size_t pm = t.find("+-");
  Window w;
  w.given = true;
  if (quantity == Quantity::balance_db) {
    if (pm != std::string_view::npos) {
      return Out::refused(head + " is one largest value, e.g. 0.5dB");
    }
    float x = 0.0f;
    if (!value(t, x)) return Out::refused(message);
    w.low = -x;
    w.high = x;
    return w;
  }
  if (pm == std::string_view::npos) {
    return Out::refused(head + " is not CENTRE+-TOLERANCE, e.g. " + example);
  }
  float centre = 0.0f;
  if (!value(t.substr(0, pm), centre)) return Out::refused(message);
  std::string_view tol_text = trimmed(t.substr(pm + 2));
  float tol = 0.0f;
  if (!tol_text.empty() && tol_text.back() == '%') {
    tol_text.remove_suffix(1);
    const Parsed<float> percent =
        parse_value(name, tol_text, {Dimension::plain, Bound::non_negative, {}});
    if (!percent) return Out::refused(percent.message());
    tol = *percent / 100.0f * centre;
  } else if (!value(tol_text, tol)) {
    return Out::refused(message);
  }
  // The coupling is limited by its magnitude; the samples give it in negative dB.
  if (quantity == Quantity::coupling_db) {
    w.low = -(centre + tol);
    w.high = -(centre - tol);
  } else {
    w.low = centre - tol;
    w.high = centre + tol;
  }
  return w;
}

}  // namespace cuplo
