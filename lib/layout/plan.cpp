// The design a drawing shows: the coupler given by its geometry, or synthesized from targets
// exactly as synthesize() does, made a quarter wave long (or its centre frequency found for
// the length given), analysed there, with feed lines of the reference impedance.
#include <cmath>

#include "cuplo/layout.hpp"

namespace cuplo::layout {
namespace {

// The cross-section the request draws, with the limits its synthesis left and what the
// process's rules did to it.
Result<CrossSection> section_of(const Substrate& sub, const Request& q, Fit& fit) {
  if (q.kind != Request::Kind::targets) return q.section;
  const Result<FittedSynthesis> r =
      q.dispersive ? synthesize(sub, q.section.n, q.target, q.frequency, q.process, q.model)
                   : synthesize(sub, q.section.n, q.target, q.process, q.model);
  if (!r) return Result<CrossSection>::failed(r.failure(), r.detail(), r.limits(), r.point());
  fit = r->fit;
  return {r->synthesis.section, r.limits(), r.point()};
}

}  // namespace

Result<Design> plan(const Substrate& sub, const Request& q) noexcept {
  if (q.kind != Request::Kind::length && !(q.frequency > 0.0f && std::isfinite(q.frequency))) {
    return Result<Design>::failed(Failure::invalid_input, "f: frequency not positive");
  }
  if (const char* why = invalid(q.process)) return Result<Design>::failed(Failure::invalid_input, why);
  Fit fit;
  fit.process = q.process;
  const Result<CrossSection> xs = section_of(sub, q, fit);
  if (!xs) return Result<Design>::failed(xs.failure(), xs.detail(), xs.limits(), xs.point());
  Limits left = xs.limits();

  const Analysis analysis(sub, *xs, q.model);
  float length = q.length;
  float fo = q.frequency;
  if (q.kind == Request::Kind::length) {
    const Result<float> f = analysis.centre_frequency(length);
    left |= f.limits();
    if (!f) return Result<Design>::failed(f.failure(), f.detail(), left, f.point());
    fo = *f;
  } else {
    const Result<float> l = analysis.quarter_wave_length(fo);
    left |= l.limits();
    if (!l) return Result<Design>::failed(l.failure(), l.detail(), left, l.point());
    length = *l;
  }
  const Result<Impedances> z = analysis.impedances(fo);
  left |= z.limits();
  // One design point words every limit left: the drawn coupler at its centre frequency, with
  // the targets' impedance and coupling when it was synthesized.
  DesignPoint p = z.point();
  if (q.kind == Request::Kind::targets) {
    p.synthesis = true;
    p.zo = xs.point().zo;
    p.coupling_db = xs.point().coupling_db;
  }
  if (!z) return Result<Design>::failed(z.failure(), z.detail(), left, p);

  const Result<float> feed = microstrip_width(sub, q.reference_impedance);
  if (!feed) {
    return Result<Design>::failed(Failure::invalid_input,
                                  "reference: no microstrip on this substrate has that impedance",
                                  left, p);
  }
  Design d;
  d.substrate = sub;
  d.section = *xs;
  d.length = length;
  d.reference_impedance = q.reference_impedance;
  d.reference_width = *feed;
  d.feed_length = q.feed_length < 0.0f ? kFeedLengthInHeights * sub.h : q.feed_length;
  d.zo = z->zo;
  d.zoe = z->zoe;
  d.zoo = z->zoo;
  d.coupling_db = z->coupling_db;
  d.centre_ghz = fo;
  d.fit = fit;
  d.etch = q.process.etch;
  return {d, left, p};
}

}  // namespace cuplo::layout
