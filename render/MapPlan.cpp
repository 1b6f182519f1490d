#include "render/MapPlan.h"

#include <stdexcept>

#include "render/Resolution.h"
#include "render/Rounding.h"

namespace tarvelon {

MapSize tileMapSize(int sampleStep) {
  return MapSize{static_cast<int>(roundHalfEven(kColumnSpan, sampleStep)),
                 static_cast<int>(roundHalfEven(kLinesPerTile, sampleStep))};
}

int tileLinesRead(int sampleStep) {
  int lines = 1;
  for (int counter = 1 + sampleStep; counter < kLinesPerTile - sampleStep; counter += sampleStep) ++lines;
  return lines;
}

int tileSamplesRead(int sampleStep) { return (kColumnSpan - 1) / sampleStep + 1; }

MapPlan planTile(int tile, int sampleStep) {
  if (sampleStep < 1 || sampleStep > kLargestStep) {
    throw std::invalid_argument("Cannot draw a tile with a sample step of " + std::to_string(sampleStep));
  }
  MapPlan plan;
  plan.tile = tile;
  const TileBox box = tileBox(tile);
  plan.bounds = AreaBounds{box.tileWest, box.tileNorth, box.tileEast, box.tileSouth};
  plan.step = sampleStep;
  const MapSize size = tileMapSize(sampleStep);
  plan.width = size.width;
  plan.height = size.height;
  plan.geometry = MapGeometry::ofTile(tile, sampleStep);
  plan.rowsRead = tileLinesRead(sampleStep);
  return plan;
}

MapPlan planArea(int west, int north, int east, int south, std::optional<int> sampleStep, bool keepsRaster) {
  MapPlan plan;
  const FittedArea fitted = fitArea(west, north, east, south);
  if (!fitted.drawable) {
    plan.refusal = MapPlan::Refusal::Unfit;
    plan.refusalText = fitted.refusal;
    return plan;
  }
  const AreaBounds& area = fitted.bounds;
  plan.bounds = area;
  plan.stepChosen = !sampleStep.has_value();
  plan.step = sampleStep.value_or(chooseStep(area.west, area.north, area.east, area.south));
  plan.layout = layoutArea(area, plan.step);
  plan.tile = plan.layout.tile;
  plan.width = plan.layout.rasterWidth;
  plan.height = plan.layout.rasterHeight;
  plan.rowsRead = static_cast<int>(plan.layout.rows.size());
  if (plan.width < 1 || plan.height < 1) {
    plan.refusal = MapPlan::Refusal::TooSmall;
    plan.refusalText = "The area is too small to draw at this resolution.";
    return plan;
  }
  if (keepsRaster && plan.layout.pixels() > kMaxAreaPixels) {
    plan.refusal = MapPlan::Refusal::TooLarge;
    plan.refusalText = "A map of this area at this resolution would be " + std::to_string(plan.width) + " x " +
                       std::to_string(plan.height) + " pixels, more than the " +
                       std::to_string(kMaxAreaPixels / 1000000) + " million that can be drawn. Choose a lower resolution.";
    return plan;
  }
  plan.note = fitted.note;
  plan.geometry = MapGeometry::ofArea(plan.layout, plan.step);
  return plan;
}

}  // namespace tarvelon
