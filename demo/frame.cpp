// The frame driver. Until the production's scenes are drawn, a frame is a
// black clear and a present through the post-processing chain.
#include "demo/frame.h"

#include "render/post_filter.h"

namespace tessaly::demo {

void renderFrame() {
  render::PostFilter::clear();
  render::PostFilter::present();
}

}  // namespace tessaly::demo
