#include "windows/ProfileLauncher.h"

#include <exception>
#include <utility>

#include "dem/ElevationProfile.h"

namespace tarvelon {

ProfileLauncher::ProfileLauncher(Marked marked) : marked_(std::move(marked)) {}

ProfileLauncher::~ProfileLauncher() = default;

void ProfileLauncher::setSource(SourceOpener openSource) {
  openSource_ = std::move(openSource);
  source_.reset();
}

void ProfileLauncher::setDialogs(ProfileWindow::ChooseFile choose, ProfileWindow::ReportError report) {
  choose_ = std::move(choose);
  report_ = std::move(report);
  if (window_) window_->setDialogs(choose_, report_);
}

ElevationSource* ProfileLauncher::source() {
  if (!source_ && openSource_) source_ = openSource_();
  return source_.get();
}

bool ProfileLauncher::show(GeoPoint from, GeoPoint to) {
  ElevationProfile profile;
  try {
    ElevationSource* tiles = source();
    if (tiles == nullptr) return false;
    profile = sampleProfile(*tiles, from, to);
  } catch (const std::exception& error) {
    source_.reset();
    if (report_) report_(QStringLiteral("The profile cannot be drawn: ") + QString::fromStdString(error.what()));
    return false;
  }
  if (!window_) {
    window_ = std::make_unique<ProfileWindow>();
    window_->setDialogs(choose_, report_);
    QObject::connect(window_.get(), &ProfileWindow::pointMarked, window_.get(),
                     [this](std::optional<GeoPoint> point) {
                       if (marked_) marked_(point);
                     });
  }
  window_->showProfile(std::move(profile));
  return true;
}

}  // namespace tarvelon
