// What a map's profile tool shares: the line sampled through a source of
// its own on the window's thread, and shown in a profile window made the
// first time, whose marked point is passed on to the map.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "dem/ElevationSource.h"
#include "render/WindowRenderer.h"
#include "windows/ProfileWindow.h"

namespace tarvelon {

class ProfileLauncher {
 public:
  // `marked` gets the point the profile window marks, or nothing.
  using Marked = std::function<void(std::optional<GeoPoint> point)>;

  explicit ProfileLauncher(Marked marked);
  ~ProfileLauncher();

  // The tiles to read; empty while no data folder is in use.
  void setSource(SourceOpener openSource);
  void setDialogs(ProfileWindow::ChooseFile choose, ProfileWindow::ReportError report);

  // Samples the line and shows its profile; false, and the error reported,
  // when the tiles cannot be read (or there are none).
  bool show(GeoPoint from, GeoPoint to);

  // The source, for other reads on this thread; nullptr without one.
  ElevationSource* source();
  // A read failed: the files are opened afresh for the next read.
  void dropSource() { source_.reset(); }

  ProfileWindow* window() const { return window_.get(); }
  void setMarked(Marked marked) { marked_ = std::move(marked); }

 private:
  Marked marked_;
  SourceOpener openSource_;
  std::unique_ptr<ElevationSource> source_;
  std::unique_ptr<ProfileWindow> window_;
  ProfileWindow::ChooseFile choose_;
  ProfileWindow::ReportError report_;
};

}  // namespace tarvelon
