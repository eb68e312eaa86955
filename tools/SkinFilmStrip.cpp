#include "SkinImages.h"

void DrawFilmStrip(RAS_MemBitmap* out, int size, int frames, const std::function<void(SkinCanvas&, int)>& drawFrame)
{
  out->resize(size, size * frames);
  RAS_Clear(out, 0);
  RAS_MemBitmap frame;
  for (int i = 0; i < frames; i++)
  {
    SkinCanvas c(size, size);
    drawFrame(c, i);
    c.Resolve(&frame);
    // A plain copy at full weight stores the frame's pixels unchanged.
    RAS_Blit(out, &frame, 0, i * size, nullptr, 1.0f, RAS_MODE_COPY);
  }
}
