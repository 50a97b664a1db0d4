// The shape most comparison workloads share: a state that draws one scene into a target
// section with `draw()`, is usable when true, and gives its target's pixels with `read()`.
#pragma once

#include <memory>
#include <string>

#include "bench/scenes.h"
#include "bench/workloads.h"

namespace veneer::bench {

// Timed: `draw` on state made once.
template <class State>
Prepared prepare_drawing() {
  auto s = std::make_shared<State>();
  return prepared<State>(s, static_cast<bool>(*s), [](State& st) { st.draw(); });
}

// Checked: one `draw` on fresh state, compared with the library's output of the scene.
template <class State>
std::string check_drawing(Pixels (*library)(), int tolerance) {
  State s;
  if (!s) return "the state could not be made";
  s.draw();
  return compare_pixels(library(), s.read(), tolerance);
}

}  // namespace veneer::bench
