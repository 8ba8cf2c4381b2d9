// Draws the setup dialog's banner in software: a jittered triangle mesh in
// night blues and teals, a faint wireframe over it, a horizon glow, and the
// title in angular stroke letters with a soft halo (see artwork.h). Integer
// hashing makes every run draw the same picture.
#include "app/setup_banner.h"

#include "app/artwork.h"

namespace tessaly::app {

platform::Picture setupBanner() {
  Canvas canvas(bannerWidth, bannerHeight);
  drawFacetMesh(canvas, 31.25f, 1.0f);  // 16 x 6.4 cells across the banner
  drawGlowBand(canvas, 92.0f, 34.0f);
  drawStrokes(canvas, setText("TESSALY", bannerWidth / 2.0f, 52.0f, 40.0f, 54.0f, 15.0f), 6.0f,
              7.0f, 0.55f);
  drawStrokes(canvas, setText("DEMOSYSTEM", bannerWidth / 2.0f, 128.0f, 11.0f, 14.0f, 9.0f), 1.8f,
              3.0f, 0.35f);
  return canvas.toPicture();
}

}  // namespace tessaly::app
