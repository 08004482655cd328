#include "input/defaults.hpp"

namespace cuplo::input {

std::string file_name(const std::string& name20) {
  const std::size_t end = name20.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name20.substr(0, end + 1);
}

std::optional<DefaultsFault> load_defaults(std::istream& file, DesignState& state) {
  const DefaultsFile read = read_defaults(file);
  if (!read.ok()) return read.fault;
  const Defaults& v = read.values;
  DesignState& d = state;
  d.defaults = v;
  d.tlos = v.dltan;
  d.er = v.er;
  d.fdef = v.f;

  d.fmin = v.fmin;
  d.fstep = v.fstep;
  d.h = v.h;
  d.kodef = v.co;
  d.l = v.l;
  d.n = v.n;
  d.res1 = v.res;
  d.sr1 = v.sr;
  d.rl = v.rl;
  d.rs = v.rs;
  d.sdef = v.s;
  d.smin = v.smin;
  d.sstep = v.sstep;
  d.t = v.t;
  d.wdef = v.w;
  d.wmin = v.wmin;
  d.wstep = v.wstep;
  d.zodef = v.zo;
  d.zoedef = v.zoe;
  d.zoodef = v.zoo;
  d.fn = v.fn;
  return std::nullopt;
}

}  // namespace cuplo::input
